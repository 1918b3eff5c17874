#include "UiSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "people/AdminLoginDialog.h"
#include "platform/IBackgroundRunner.h"

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
        if (afterLogin) {
            QTimer::singleShot(20, [afterLogin] {
                QWidget* target = QApplication::activeModalWidget();
                afterLogin();
                // An ASSERT that failed inside returned early, leaving the target in its modal
                // run: close it, so the test fails now instead of at the ctest time-out.
                auto* dialog = qobject_cast<QDialog*>(target);
                if (::testing::Test::HasFatalFailure() && dialog != nullptr &&
                    QApplication::activeModalWidget() == target) {
                    dialog->QDialog::done(QDialog::Rejected);
                }
            });
        }
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
