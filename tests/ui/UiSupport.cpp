#include "UiSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QTimer>

#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "people/AdminLoginDialog.h"

namespace stampwell::test {

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
