// library/grow_array.h: the growable array behind every list of the program.
// Capacities run 10, 15, 22, 33, 49, ... for one-at-a-time appends; elements past
// `count` are always freshly value-initialized (empty texts, zero counts, false flags).
#pragma once

#include <cstdint>
#include <utility>

template <typename T>
struct GrowArray {
  T* items = nullptr;
  std::int32_t count = 0;
  std::int32_t capacity = 0;

  GrowArray() = default;
  GrowArray(const GrowArray&) = delete;
  GrowArray& operator=(const GrowArray&) = delete;
  GrowArray(GrowArray&& other) noexcept
      : items(std::exchange(other.items, nullptr)),
        count(std::exchange(other.count, 0)),
        capacity(std::exchange(other.capacity, 0)) {}
  GrowArray& operator=(GrowArray&& other) noexcept {
    if (this != &other) {
      delete[] items;
      items = std::exchange(other.items, nullptr);
      count = std::exchange(other.count, 0);
      capacity = std::exchange(other.capacity, 0);
    }
    return *this;
  }
  ~GrowArray() { delete[] items; }

  T& operator[](std::int32_t i) { return items[i]; }
  const T& operator[](std::int32_t i) const { return items[i]; }
  T* begin() { return items; }
  T* end() { return items + count; }
  const T* begin() const { return items; }
  const T* end() const { return items + count; }
};

// Makes room for `needed` elements: capacity x 3 / 2, at least `needed`, at least 10.
template <typename T>
void reserve(GrowArray<T>& array, std::int32_t needed) {
  if (array.capacity >= needed) return;
  std::int32_t capacity = array.capacity * 3 / 2;
  if (capacity < needed) capacity = needed;
  if (capacity < 10) capacity = 10;
  T* items = new T[capacity]();
  for (std::int32_t i = 0; i < array.count; ++i) items[i] = std::move(array.items[i]);
  delete[] array.items;
  array.items = items;
  array.capacity = capacity;
}

// Adds one empty element at the end and returns it. Earlier elements may move.
template <typename T>
T& append(GrowArray<T>& array) {
  reserve(array, array.count + 1);
  return array.items[array.count++];
}
