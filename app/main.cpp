// app/main.cpp: the entry point.
#include "app/driver.h"

int main() { return run_rerate(); }
