// GoogleTest main for tests that need the application object of the platform layer.
#include "toolkit/platform/platform.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    vemora::platform::InitPlatformApplication(qtArgc, qtArgv);
    return RUN_ALL_TESTS();
}
