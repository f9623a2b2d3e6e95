#include "app/form6.h"
#include "app/forms.h"
#include "platform/desktop/services.h"
#include "platform/files/files.h"
#include "platform/imaging/reads.h"
#include "platform/runtime/accessibility.h"
#include "platform/runtime/warmup.h"
#include "platform/runtime/windowkind.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char *argv[]) {
    platform::ChoosePlatform();
    QApplication app(argc, argv);
    platform::PlatformChosen();
    // The folder the main window lists at its start.
    platform::WarmUpInBackground(QStringLiteral("images\\"));
    QApplication::setApplicationName(QStringLiteral("orvane"));
    platform::SilenceMultimediaWarnings();
    platform::InstallAccessibility();
    platform::StartFolder();

    // The splash window is the start-up object; without a splash picture it hands over at once
    // and is never shown.
    Instance<Form6>();
    if (IsLoaded<Form6>())
        Instance<Form6>().show();
    const int code = QApplication::exec();
    // A read hanging on a failing CD must not hold the program up, nor run on while the
    // application's objects go away.
    if (platform::WorkersBusy())
        std::_Exit(code);
    return code;
}
