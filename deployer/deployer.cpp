// The installer's entry: one window, whose image button installs the carried screensaver.
#include <string>
#include <vector>

#include "common/Args.h"
#include "deployer/MainWin.h"
#include "deployer/core/InstallNames.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"

namespace {

int RunInstaller(const std::vector<std::string>&) {
    try {
        kv::Application().Initialize();
        kv::Application().SetTitle(kv::ProgramTitle(kv::Narrow(kv::ProgramFile())));
        kv::TInstallerForm form;
        kv::Application().CreateForm(form);
        kv::Application().Run();
    } catch (...) {
        kv::ShowExceptionBox(std::current_exception());
        return 1;
    }
    return 0;
}

}  // namespace

KV_UTF8_MAIN(RunInstaller)
