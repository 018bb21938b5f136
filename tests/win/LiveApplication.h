// The program's real platform and native widgets under one application, with message boxes
// recorded instead of shown: what the widget tests run their forms in.
#pragma once

#include "WidgetTestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/Application.h"
#include "widgets/win32/Win32Backend.h"

namespace nvtest {

struct LiveApplication {
    RecordingWindows windows;
    nv::Win32Platform os;
    nv::Platform platform = os.AsPlatform();
    nv::Win32WidgetBackend backend{platform};
    nv::TApplication app{windows, backend};
};

}  // namespace nvtest
