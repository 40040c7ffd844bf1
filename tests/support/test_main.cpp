#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#define TARNIVEL_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNIVEL_LEAK_CHECK 1
#endif
#endif

#ifdef TARNIVEL_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
#ifdef TARNIVEL_LEAK_CHECK
    // Check now, while the OpenGL driver is still loaded: once it is unloaded
    // at exit, everything it holds would look leaked.
    __lsan_do_leak_check();
#endif
    return result;
}
