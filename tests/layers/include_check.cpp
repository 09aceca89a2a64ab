// tests/layers/include_check.cpp: one include, compiled as a source of one stage would be,
// to see whether that stage can reach the header.
#include LAYER_HEADER
