#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <random>

#include "support/test_files.h"
#include "weather/data_file.h"

namespace {

class DataFileTest : public testing::Test {
  protected:
    // Loads the text as a file into m_file; the load's result.
    bool load(const std::string& text) {
        std::string path = m_dir.path().toStdString() + "/data" + std::to_string(++m_count);
        writeFile(path, text);
        return m_file.Load(path);
    }
    std::string logOfLoad(const std::string& text) {
        setenv("SKYVANE_DEBUG", "1", 1);
        testing::internal::CaptureStderr();
        load(text);
        unsetenv("SKYVANE_DEBUG");
        return testing::internal::GetCapturedStderr();
    }

    QTemporaryDir m_dir;
    int m_count = 0;
    CDataFile m_file;
};

TEST_F(DataFileTest, LinesBecomeSectionsKeysAndComments) {
    ASSERT_TRUE(
        load("top=before any header\r\n"
             "[time]\r\n"
             "last_actualisation=1234\r\n"
             "; note\r\n"
             "# second\r\n"
             "\r\n"
             "x=1\r\n"
             "a:b=c\n"
             "  key = 5  \n"
             "key=6\n"
             "empty=\n"
             "lonely\n"
             "y=2\n"
             "[abc] extra\n"
             "k=v\n"
             "[open\n"
             "k=w\n"
             "[quoted]\n"
             "v = \"1013.2\"  \n"
             "last=no final line feed"));

    EXPECT_EQ(m_file.GetValue("top", ""), "before any header");
    EXPECT_EQ(m_file.GetValue("last_actualisation", "time"), "1234");
    EXPECT_EQ(m_file.GetValue("LAST_ACTUALISATION", "TIME"), "1234");
    EXPECT_EQ(m_file.FindKey("x", "time")->comment, "\n; note\n# second");
    EXPECT_EQ(m_file.GetValue("a", "time"), "b=c");
    EXPECT_EQ(m_file.GetValue("key", "time"), "6");
    // A line whose value is empty creates nothing, and the pending comment waits for y.
    EXPECT_EQ(m_file.FindKey("empty", "time"), nullptr);
    EXPECT_EQ(m_file.FindKey("lonely", "time"), nullptr);
    EXPECT_EQ(m_file.FindKey("y", "time")->comment, "");
    EXPECT_EQ(m_file.GetValue("k", "abc extra"), "v");
    EXPECT_EQ(m_file.GetValue("k", "open"), "w");
    EXPECT_EQ(m_file.GetValue("v", "quoted"), " \"1013.2\"");
    EXPECT_EQ(m_file.GetValue("last", "quoted"), "no final line feed");
    EXPECT_EQ(m_file.GetValue("missing", "time"), "");
    EXPECT_EQ(m_file.GetValue("k", "missing"), "");
    EXPECT_EQ(m_file.FindSection("nowhere"), nullptr);

    size_t keysInTime = m_file.FindSection("time")->keys.size();
    EXPECT_EQ(keysInTime, 5u);  // last_actualisation, x, a, key, y
    EXPECT_EQ(m_file.Sections().front().name, "");
}

TEST_F(DataFileTest, RepeatedHeadersMergeAndLaterLoadsKeepEarlierKeys) {
    ASSERT_TRUE(load("[wind]\nkmh=10\nbft=2\n"));
    std::string log = logOfLoad("[Wind]\nkmh=12\n[]\nlost=no\n[WIND]\nknt=6\n");
    EXPECT_NE(log.find("<info> [CDataFile::CreateSection] Section <Wind> allready exists. "
                       "Aborting.\n"),
              std::string::npos);
    EXPECT_NE(log.find("Section <> allready exists"), std::string::npos);
    EXPECT_EQ(m_file.GetValue("kmh", "wind"), "12");
    EXPECT_EQ(m_file.GetValue("bft", "wind"), "2");
    EXPECT_EQ(m_file.GetValue("knt", "wind"), "6");
    EXPECT_EQ(m_file.GetValue("lost", ""), "no");
    EXPECT_EQ(m_file.Sections().size(), 2u);
}

TEST_F(DataFileTest, LinesOf512CharactersOrMoreEndTheLoad) {
    std::string exact = "k=" + std::string(509, 'a');  // 511 characters
    ASSERT_TRUE(load("[s]\n" + exact + "\r\nafter=1\n"));
    EXPECT_EQ(m_file.GetValue("k", "s"), std::string(509, 'a'));
    EXPECT_EQ(m_file.GetValue("after", "s"), "1");

    std::string longer = "m=" + std::string(510, 'b');  // 512 characters
    EXPECT_TRUE(load("[t]\n" + longer + "\nnever=1\n"));
    EXPECT_EQ(m_file.GetValue("m", "t"), std::string(509, 'b'));
    EXPECT_EQ(m_file.FindKey("never", "t"), nullptr);

    EXPECT_TRUE(load("[u]\nfirst=1\nhuge=" + std::string(100000, 'c') + "\nnever=2\n"));
    EXPECT_EQ(m_file.GetValue("first", "u"), "1");
    EXPECT_EQ(m_file.GetValue("huge", "u").size(), 506u);
    EXPECT_EQ(m_file.FindKey("never", "u"), nullptr);
}

TEST_F(DataFileTest, BrokenFilesGiveAClearResultAndKeepWhatWasRead) {
    ASSERT_TRUE(load("[keep]\nvalue=1\n"));

    setenv("SKYVANE_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m_file.Load(m_dir.path().toStdString() + "/does-not-exist"));
    EXPECT_FALSE(m_file.Load(m_dir.path().toStdString()));  // a directory
    unsetenv("SKYVANE_DEBUG");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "<info> [CDataFile::Load] Unable to open file. Does it exist?\n"
              "<info> [CDataFile::Load] Unable to open file. Does it exist?\n");

    // NUL ends a line's text; the line after it is still read.
    EXPECT_TRUE(load(std::string("[nul]\nv=ab\0cd\nw=2\n\0\0\0\n", 20)));
    EXPECT_EQ(m_file.GetValue("v", "nul"), "ab");
    EXPECT_EQ(m_file.GetValue("w", "nul"), "2");

    std::mt19937 random(7);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    load(noise);
    EXPECT_EQ(m_file.GetValue("value", "keep"), "1");

    EXPECT_TRUE(load("\xEF\xBB\xBF[marked]\nm=1\n"));
    EXPECT_EQ(m_file.GetValue("m", "marked"), "1");

    // Windows-1252 text reads as UTF-8; UTF-8 text stays as it is.
    EXPECT_TRUE(
        load("[units]\nt=\xB0"
             "C\nu=\xC2\xB0"
             "F\n"));
    EXPECT_EQ(m_file.GetValue("t", "units"),
              "\xC2\xB0"
              "C");
    EXPECT_EQ(m_file.GetValue("u", "units"),
              "\xC2\xB0"
              "F");
}

TEST_F(DataFileTest, NumbersAndStoringRules) {
    ASSERT_TRUE(load("[n]\na= -12abc\nb=\"3\"\nc=+7\nd=abc\ne=99999999999\nf=-2147483648\n"));
    EXPECT_EQ(m_file.GetInt("a", "n"), -12);
    EXPECT_EQ(m_file.GetInt("b", "n"), 0);
    EXPECT_EQ(m_file.GetInt("c", "n"), 7);
    EXPECT_EQ(m_file.GetInt("d", "n"), 0);
    EXPECT_EQ(m_file.GetInt("e", "n"), static_cast<int>(99999999999ll & 0xFFFFFFFF));
    EXPECT_EQ(m_file.GetInt("f", "n"), kMissingInt);
    EXPECT_EQ(m_file.GetInt("missing", "n"), kMissingInt);
    EXPECT_EQ(parseDecimal(" \t-4005556484x"), -4005556484ll);
    EXPECT_EQ(parseDecimal(""), 0);
    EXPECT_EQ(stripBlanksAndQuotes("  \"1013.2\" "), "1013.2");
    EXPECT_EQ(stripBlanksAndQuotes(" \" \" "), "");

    m_file.SetFlags(0);
    EXPECT_FALSE(m_file.SetValue("k", "v", "", "new section"));
    EXPECT_FALSE(m_file.SetValue("new", "v", "", "n"));
    EXPECT_TRUE(m_file.SetValue("a", "5", "; c", "N"));
    EXPECT_EQ(m_file.GetValue("a", "n"), "5");
    // Loading creates what the file holds and puts the flags back as they were.
    ASSERT_TRUE(load("[fresh]\nk=v\n"));
    EXPECT_EQ(m_file.GetValue("k", "fresh"), "v");
    EXPECT_EQ(m_file.GetFlags(), 0u);

    m_file.SetFlags(CDataFile::AutoCreateSections | CDataFile::AutoCreateKeys);
    EXPECT_FALSE(m_file.SetValue("blank", "", "", "n"));
    EXPECT_TRUE(m_file.SetValue("k", "v", "", "made"));
    EXPECT_TRUE(m_file.CreateSection("other", "; why"));
    EXPECT_FALSE(m_file.CreateSection("OTHER", ""));
}

}  // namespace
