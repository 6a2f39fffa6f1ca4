#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <map>
#include <set>

#include "base/lang_string.h"

namespace {

const unsigned short kLanguages[] = {1031, 1033, 1036};

std::set<unsigned> idsOf(unsigned short langId) {
    QFile file(QString(":/strings/%1.txt").arg(langId));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::set<unsigned> ids;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (!line.startsWith('#') && line.contains('\t')) {
            bool ok = false;
            unsigned id = line.left(line.indexOf('\t')).toUInt(&ok);
            EXPECT_TRUE(ok) << line.toStdString();
            EXPECT_TRUE(ids.insert(id).second) << "id twice: " << id;
        }
    }
    return ids;
}

// The parts of a text that code relies on: numbered places ("%1"), conversions, line feeds,
// list separators.
std::string shapeOf(const std::string& text) {
    QString shape;
    QRegularExpression pattern("%[1-9](?![a-zA-Z0-9])|%[-+ #0-9.]*[a-zA-Z]|\n|;");
    auto matches = pattern.globalMatch(QString::fromStdString(text));
    while (matches.hasNext()) {
        shape += matches.next().captured() + " ";
    }
    return shape.toStdString();
}

}  // namespace

TEST(LangString, EnglishTextsAndTheirSplit) {
    EXPECT_EQ(LoadLangString(157, 1033), "Could not parse weather data file");
    EXPECT_EQ(LoadLangString(319, 1033), "Sunny");
    EXPECT_EQ(LoadLangString(132, 1033), "mm;''");
    EXPECT_EQ(LoadLangString(130, 1033), "\xC2\xB0;Name");
    EXPECT_EQ(LoadLangString(130, 1031), "\xC2\xB0;Name");
    EXPECT_EQ(LoadLangString(130, 1036), "\xC2\xB0;Nom");
    EXPECT_EQ(LoadLangString(129, 1036), LoadLangString(129, 1033));
    EXPECT_EQ(LoadLangString(999, 1033), "");
    // A language without a table of its own reads English rather than nothing.
    EXPECT_EQ(LoadLangString(319, 0), "Sunny");
    EXPECT_EQ(LoadLangString(319, 1031), "Sonnig");

    std::string exitCommand = LoadLangString(253, 1033);
    EXPECT_EQ(CaptionText(exitCommand), "Exit");
    EXPECT_FALSE(HelpText(exitCommand).empty());
    EXPECT_EQ(HelpText(exitCommand).find('\n'), std::string::npos);
    EXPECT_EQ(CaptionText("Sunny"), "Sunny");
    EXPECT_EQ(HelpText("Sunny"), "Sunny");
    EXPECT_EQ(CaptionText("a\nb\nc"), "a");
    EXPECT_EQ(HelpText("a\nb\nc"), "b\nc");
}

TEST(LangString, EveryLanguageHasEveryTextInTheSameShape) {
    std::set<unsigned> english = idsOf(1033);
    EXPECT_GT(english.size(), 250u);
    for (unsigned short langId : kLanguages) {
        EXPECT_EQ(idsOf(langId), english) << langId;
        for (unsigned id : english) {
            std::string text = LoadLangString(id, langId);
            EXPECT_EQ(shapeOf(text), shapeOf(LoadLangString(id, 1033)))
                << "id " << id << " in " << langId;
            EXPECT_EQ(text.find('\\'), std::string::npos) << "stray escape in " << id;
        }
    }
}
