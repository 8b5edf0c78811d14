#pragma once

#include <dlfcn.h>

namespace torka::host
{
// Xlib's default error handler ends the process on harmless errors (an atom a bare
// Xvfb server does not know). Plug-ins leave X error handling to their host, and hosts
// install a handler of their own; so do the tools and the tests that open windows.
inline void ignoreXErrors()
{
    if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_GLOBAL))
    {
        using Handler = int (*) (void*, void*);
        using SetHandler = Handler (*) (Handler);
        if (auto set = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
            set ([] (void*, void*) { return 0; });
    }
}
} // namespace torka::host
