#include "UiSupport.h"

namespace stampwell::test {

void SaveScreenshot(const QImage& image, const std::string& name) {
    // Always in the build folder, wherever the tests are started from.
    std::filesystem::path folder = STAMPWELL_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    image.save(QString::fromStdString((folder / (name + ".png")).string()));
}

}  // namespace stampwell::test
