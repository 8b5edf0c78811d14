#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace
{
// A plug-in leaves X error handling to its host, and Xlib's default handler ends the
// process on harmless errors (an atom a bare Xvfb server does not know); hosts install
// their own, and so do the tests.
void ignoreXErrors()
{
    if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_GLOBAL))
    {
        using Handler = int (*) (void*, void*);
        using SetHandler = Handler (*) (Handler);
        if (auto set = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
            set ([] (void*, void*) { return 0; });
    }
}
} // namespace

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    // Nothing in a test run may reach the real user's documents, and the LV2 host, which
    // scans ~/.lv2, must not find an installed copy in place of the plug-in under test.
    torka::test::ScopedTemporaryHome home;
    juce::ScopedJuceInitialiser_GUI juce;
    ignoreXErrors();

    return RUN_ALL_TESTS();
}
