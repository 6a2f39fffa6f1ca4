#include "app/check_command.h"

#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

#include "app/command_options.h"
#include "app/scratch_settings.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "export/layout_check.h"

namespace {

// Prints the image's findings; how many there were.
size_t printFindings(CProfile& profile) {
    CDrawing& drawing = *profile.GetDrawing();
    std::vector<LayoutFinding> findings = CheckLayout(drawing);
    for (const LayoutFinding& finding : findings) {
        const CDrawObj& element = *drawing.Elements()[finding.element];
        std::string line = LangString(
            kTextFindingLine,
            {profile.GetName(), DescribeElement(element, finding.isReading ? "" : finding.text),
             DescribeProblem(finding)});
        std::printf("%s\n", line.c_str());
    }
    return findings.size();
}

int check(const CommandOptions& options) {
    // The check forces every state and the widest readings, so it needs no readings; a named
    // file that gives none is only worth a warning.
    if (options.contains("--weather")) {
        useWeatherFile("check", options);
    }
    ProfileList profiles = loadImageList(options);
    size_t problems = 0;
    for (CProfile* profile : selectedImages(profiles, options)) {
        problems += printFindings(*profile);
    }
    return problems == 0 ? 0 : 1;
}

}  // namespace

int runCheckCommand(const QStringList& arguments) {
    CommandOptions options;
    if (!parseOptions(arguments, {"--profiles", "--weather", "--image"}, options)) {
        std::fprintf(stderr,
                     "usage: skyvane check [--profiles FILE] [--weather FILE] [--image NAME]\n");
        return 2;
    }
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    try {
        return check(options);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "skyvane check: %s\n", error.what());
        return 1;
    }
}
