#include "platform/IBackgroundRunner.h"
#include "controller/RecorderController.h"
#include "UiSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QAction>
#include <QLineEdit>
#include <QTimer>

#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "people/AdminLoginDialog.h"

namespace stampwell::test {

void Settle(CStampwellApp& app) {
    QElapsedTimer waited;
    waited.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (!app.Controller()->Background().IsIdle() && waited.elapsed() < 20000);
    QCoreApplication::processEvents();
}

void RunAfterLogin(CStampwellApp& app, int command, std::function<void()> afterLogin) {
    QTimer::singleShot(20, [&app, afterLogin] {
        app.Login()->IdField().setText(QStringLiteral("admin"));
        app.Login()->PasswordField().setText(QStringLiteral("pw"));
        if (afterLogin) QTimer::singleShot(20, afterLogin);
        app.Login()->OnOk();
    });
    app.Frame()->Command(command)->trigger();
}

void SaveScreenshot(const QImage& image, const std::string& name) {
    // Always in the build folder, wherever the tests are started from.
    std::filesystem::path folder = STAMPWELL_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    image.save(QString::fromStdString((folder / (name + ".png")).string()));
}

}  // namespace stampwell::test
