// The screensaver's entry: the command line decides which one window the program opens.
#include <string>
#include <vector>

#include "common/Args.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "graphics/Random.h"
#include "showcase/core/ModeDispatch.h"
#include "showcase/SaverConfig.h"
#include "showcase/Unitprewin.h"
#include "showcase/unithead.h"

namespace {

int RunShow() {
    kv::Application().Initialize();
    kv::Application().SetTitle("Kestrelview");
    kv::TMainForm form;
    kv::Application().CreateForm(form);
    kv::Application().Run();
    return 0;
}

int RunSaver(const std::vector<std::string>& argv) {
    kv::RandomizeFromClock();
    try {
        // The arguments after the program's own name.
        const std::vector<std::string> args(argv.begin() + (argv.empty() ? 0 : 1), argv.end());
        const kv::LaunchRequest request = kv::ParseSaverCommandLine(args);
        switch (request.Mode) {
            case kv::SaverMode::Preview:
                return kv::RunPreview(reinterpret_cast<HWND>(static_cast<intptr_t>(request.HostWindow)));
            case kv::SaverMode::Configure:
                return kv::RunConfigDialog();
            case kv::SaverMode::Show:
                return RunShow();
        }
    } catch (...) {
        // The last chance: an error that escaped every window ends the program here.
        kv::ShowExceptionBox(std::current_exception());
        return 1;
    }
    return 0;
}

}  // namespace

KV_UTF8_MAIN(RunSaver)
