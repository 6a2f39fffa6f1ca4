#include "app/render_command.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

#include "app/scratch_settings.h"
#include "base/settings.h"
#include "export/image_file.h"
#include "profiles/profiles_file.h"
#include "weather/weather_data.h"

namespace {

struct RenderOptions {
    std::string profiles;
    std::string weather;
    std::string image;
    QString out;
};

// A file name for the image: its name without the characters a path cannot hold.
QString fileNameOf(const std::string& name, int format) {
    QString base = QString::fromStdString(name);
    base.replace('/', '_').replace(QChar('\0'), '_');
    if (base.isEmpty() || base == "." || base == "..") {
        base = "Image";
    }
    return base + (format == kJpegFormat ? ".jpg" : ".png");
}

void writeImage(CProfile& profile, const QString& folder) {
    CImageBuffer file = RenderImage(*profile.GetDrawing());
    QString path =
        folder + "/" + fileNameOf(profile.GetName(), profile.GetDrawing()->GetImageFormat());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(reinterpret_cast<const char*>(file.Data()), static_cast<qint64>(file.Size())) !=
            static_cast<qint64>(file.Size())) {
        throw std::runtime_error("Cannot write " + path.toStdString());
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
}

int render(const RenderOptions& options) {
    // Made absolute first: loading the list changes the current directory.
    QString folder = QFileInfo(options.out).absoluteFilePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable()) {
        throw std::runtime_error("Cannot write into the output folder " + folder.toStdString());
    }
    if (!options.weather.empty()) {
        CSettings::Instance().SetWeatherFilePath(
            QFileInfo(QString::fromStdString(options.weather)).absoluteFilePath().toStdString());
    }
    if (!CWeatherData::Instance().Reload()) {
        std::fprintf(stderr, "skyvane render: the weather data file %s cannot be read\n",
                     CSettings::Instance().GetWeatherFilePath().c_str());
    }
    std::string path = options.profiles.empty() ? ProfilesFileToLoad() : options.profiles;
    ProfileList profiles = LoadProfilesFile(path, nullptr);
    bool found = false;
    for (auto& profile : profiles) {
        if (options.image.empty() || profile->GetName() == options.image) {
            writeImage(*profile, folder);
            found = true;
        }
    }
    if (!options.image.empty() && !found) {
        throw std::runtime_error("No image named \"" + options.image + "\" in " + path);
    }
    return 0;
}

}  // namespace

int runRenderCommand(const QStringList& arguments) {
    RenderOptions options;
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2) {
        const QString& option = arguments[i];
        std::string value = arguments[i + 1].toStdString();
        if (option == "--profiles") {
            options.profiles = value;
        } else if (option == "--weather") {
            options.weather = value;
        } else if (option == "--image") {
            options.image = value;
        } else if (option == "--out") {
            options.out = arguments[i + 1];
        } else {
            options.out.clear();
            break;
        }
    }
    if (options.out.isEmpty() || arguments.size() % 2 != 0) {
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
