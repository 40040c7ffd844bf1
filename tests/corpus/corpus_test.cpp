#include <gtest/gtest.h>
int main() { return 0; }
