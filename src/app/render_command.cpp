#include "app/render_command.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <set>
#include <stdexcept>

#include "app/command_options.h"
#include "app/scratch_settings.h"
#include "base/settings.h"
#include "export/image_file.h"
#include "export/image_file_name.h"

namespace {

// Writes one image; false, with a line on standard error, when it fails.
bool writeImage(CProfile& profile, const QString& folder, std::set<std::string>& taken) {
    QString path = folder + "/" +
                   QString::fromStdString(ImageFileName(
                       profile.GetName(), profile.GetDrawing()->GetImageFormat(), taken));
    try {
        CImageBuffer file = RenderImage(*profile.GetDrawing());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(reinterpret_cast<const char*>(file.Data()),
                      static_cast<qint64>(file.Size())) != static_cast<qint64>(file.Size())) {
            throw std::runtime_error("Cannot write " + path.toStdString());
        }
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "skyvane render: \"%s\": %s\n", profile.GetName().c_str(),
                     error.what());
        return false;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

int render(const CommandOptions& options) {
    // Made absolute first: loading the list changes the current directory.
    QString folder = QFileInfo(QString::fromStdString(options.at("--out"))).absoluteFilePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable()) {
        throw std::runtime_error("Cannot write into the output folder " + folder.toStdString());
    }
    // The images are still written, showing the layout with what readings there are; the exit
    // code still tells a script that the readings were missing.
    bool readings = useWeatherFile("render", options);
    ProfileList profiles = loadImageList(options);
    bool allWritten = true;
    std::set<std::string> taken;
    for (CProfile* profile : selectedImages(profiles, options)) {
        allWritten = writeImage(*profile, folder, taken) && allWritten;
    }
    return allWritten && readings ? 0 : 1;
}

}  // namespace

int runRenderCommand(const QStringList& arguments) {
    CommandOptions options;
    if (!parseOptions(arguments, {"--profiles", "--weather", "--image", "--out"}, options) ||
        !options.contains("--out")) {
        std::fprintf(stderr,
                     "usage: skyvane render [--profiles FILE] [--weather FILE] "
                     "[--image NAME] --out DIR\n");
        return 2;
    }
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    try {
        return render(options);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "skyvane render: %s\n", error.what());
        return 1;
    }
}
