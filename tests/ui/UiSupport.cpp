#include "UiSupport.h"

namespace stampwell::test {

void SaveScreenshot(const QImage& image, const std::string& name) {
    std::filesystem::path folder = std::filesystem::current_path() / "screenshots";
    std::filesystem::create_directories(folder);
    image.save(QString::fromStdString((folder / (name + ".png")).string()));
}

}  // namespace stampwell::test
