// The main window driven as a user drives it: menu commands, clicks into the image list and
// answers to its questions, over image lists and weather files in temporary folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyleOptionViewItem>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>

#include "base/clock.h"
#include "base/settings.h"
#include "drawing/drawing.h"
#include "gui/canvas/canvas_view.h"
#include "gui/exportpage/export_properties.h"
#include "gui/exportpage/export_subpages.h"
#include "gui/mainwindow/examples.h"
#include "gui/mainwindow/image_naming.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/skyvane_view.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/message_box.h"
#include "support/ftp_server.h"
#include "support/test_files.h"
#include "ui_export_ftp_properties.h"
#include "ui_export_properties.h"
#include "weather/weather_data.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;
using Names = std::vector<std::string>;
using Model = CImageListModel;

// Menu commands by their string ids.
constexpr unsigned kNewList = 249, kLoadList = 250, kSave = 57603, kSaveAs = 246, kMinimize = 273,
                   kNewImage = 238, kDeleteImage = 221;

// A weather file with readings of unixSeconds (the file counts seconds from 1900, less 16).
std::string weatherAt(std::int64_t unixSeconds) {
    return "[time]\nlast_actualisation=" + std::to_string(unixSeconds + 2208988784) +
           "\n[weather_picture]\nnumber=2\n";
}

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_defaultFolder, ignored);  // left by a test that crashed
        std::filesystem::remove_all(m_examplesCopy, ignored);
        CSettings& settings = CSettings::Instance();
        settings.SetLangID(1033);
        settings.SetShowInSystemTray(1);
        settings.SetWindowMinimized(0);
        writeFile(m_weather, weatherAt(Clock::NowSeconds()));
        settings.SetWeatherFilePath(m_weather);
        CWeatherData::Instance().Reload();
        SaveProfilesFile(m_list, ProfileList{});  // an empty list, now the OpenedFile
        CMessageBox::Shown().clear();
    }
    void TearDown() override {
        QDir::setCurrent(m_startFolder);
        // Made by "New list" or a save beside the test program; a later test must not find it.
        std::error_code ignored;
        std::filesystem::remove_all(m_defaultFolder, ignored);
        std::filesystem::remove_all(m_examplesCopy, ignored);
    }

    // The main window as the program shows it, over the list named by OpenedFile.
    std::unique_ptr<CMainFrame> openWindow() {
        auto frame = std::make_unique<CMainFrame>();
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }
    static QVariant cell(CMainFrame& frame, int row, int column, int role = Qt::DisplayRole) {
        return frame.View()->Model().index(row, column).data(role);
    }
    static std::string text(CMainFrame& frame, int row, int column, int role = Qt::DisplayRole) {
        return cell(frame, row, column, role).toString().toStdString();
    }
    static bool ticked(CMainFrame& frame, int row) {
        return cell(frame, row, Model::Active, Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    static Names names(CMainFrame& frame) {
        Names names;
        for (const auto& profile : frame.View()->Model().Profiles()) {
            names.push_back(profile->GetName());
        }
        return names;
    }
    // A click into a cell of the image list: into the check box in the first column.
    static void click(CMainFrame& frame, int row, int column) {
        QTableView* list = frame.View()->ImageList();
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.rect = list->visualRect(list->model()->index(row, column));
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        QRect box =
            list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          column == Model::Active ? box.center() : option.rect.center());
    }

    QString m_startFolder = QDir::currentPath();
    std::string m_defaultFolder = CSettings::GetProgramDirectory() + "SKV";
    std::string m_examplesCopy = CSettings::GetProgramDirectory() + "examples";
    QTemporaryDir m_dir;
    std::string m_weather = m_dir.filePath("currdat.lst").toStdString();
    std::string m_list = m_dir.filePath("images.xml").toStdString();
};

TEST(ImageNaming, NewNamesTakeTheFirstFreeCounter) {
    EXPECT_EQ(NextImageName("New Image", {}), "New Image");
    EXPECT_EQ(NextImageName("New Image", {"New Image"}), "New Image (1)");
    EXPECT_EQ(NextImageName("New Image", {"New Image (1)", "New Image"}), "New Image (2)");
    EXPECT_EQ(NextImageName("New Image", {"New Image", "New Image (2)"}), "New Image (1)");
    EXPECT_EQ(NextImageName("New Image", {"New Image (1)"}), "New Image");
    EXPECT_EQ(NextImageName("New Image", {"new image", "New Image "}), "New Image");
}

TEST_F(MainWindowTest, NewDeleteAndSaveMarkAndClearTheModifiedList) {
    auto frame = openWindow();
    QAction* save = frame->Action(kSave);
    EXPECT_EQ(frame->windowTitle().toStdString(), "images.xml[*] - Skyvane");
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_FALSE(frame->Action(kDeleteImage)->isEnabled());  // nothing to delete
    for (int i = 0; i < 3; ++i) {
        frame->Action(kNewImage)->trigger();
    }
    EXPECT_TRUE(frame->Action(kDeleteImage)->isEnabled());
    EXPECT_EQ(names(*frame), (Names{"New Image", "New Image (1)", "New Image (2)"}));
    EXPECT_EQ(frame->View()->SelectedProfile()->GetName(), "New Image (2)");
    EXPECT_EQ(text(*frame, 2, Model::Status), "Deactivated");
    EXPECT_TRUE(frame->isWindowModified());
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_THAT(readFile(m_list), HasSubstr("name=\"New Image (2)\""));
    EXPECT_THAT(readFile(m_list), HasSubstr("maxdataage=\"60\""));  // a new image's limit
    // Save stays at hand: a list removed behind the program's back is written again.
    std::filesystem::remove(m_list);
    EXPECT_TRUE(save->isEnabled());
    save->trigger();
    EXPECT_THAT(readFile(m_list), HasSubstr("name=\"New Image (2)\""));

    // Delete in the image list asks, then deletes the selected image.
    click(*frame, 1, Model::Name);
    ASSERT_EQ(frame->View()->SelectedProfile()->GetName(), "New Image (1)");
    CMessageBox::AnswerNext(QMessageBox::No);
    QTest::keyClick(frame->View()->ImageList(), Qt::Key_Delete);
    EXPECT_EQ(names(*frame).size(), 3u);
    EXPECT_FALSE(frame->isWindowModified());
    CMessageBox::AnswerNext(QMessageBox::Yes);
    QTest::keyClick(frame->View()->ImageList(), Qt::Key_Delete);
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre("Do you really want to delete the image?",
                                                  "Do you really want to delete the image?"));
    EXPECT_EQ(names(*frame), (Names{"New Image", "New Image (2)"}));
    EXPECT_TRUE(frame->isWindowModified());

    // "New" by its shortcut takes the freed name again; the saved list loads in that order.
    QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
    save->trigger();
    frame = openWindow();
    EXPECT_EQ(names(*frame), (Names{"New Image", "New Image (2)", "New Image (1)"}));
    EXPECT_FALSE(frame->isWindowModified());

    // Save As without an extension writes a list file all the same.
    std::string typed = m_dir.filePath("second").toStdString();
    CFileDialog::AnswerNext(QString::fromStdString(typed));
    frame->Action(kSaveAs)->trigger();
    EXPECT_TRUE(std::filesystem::exists(typed + ".xml"));
    EXPECT_EQ(CSettings::Instance().GetOpenedFile(), typed + ".xml");
}

// A new image (400 × 400) is seen whole at the window's first size; a taller window gives the
// image list more rows.
TEST_F(MainWindowTest, TheImageFitsAndTheListGrowsWithTheWindow) {
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    QScrollArea* host = frame->View()->CanvasHost();
    QCoreApplication::processEvents();
    EXPECT_GE(host->viewport()->width(), host->widget()->width());
    EXPECT_GE(host->viewport()->height(), host->widget()->height());
    int rows = frame->View()->ImageList()->height();
    frame->resize(frame->width(), frame->height() + 300);
    QCoreApplication::processEvents();
    EXPECT_GT(frame->View()->ImageList()->height(), rows + 25);
    EXPECT_GT(host->viewport()->height(), host->widget()->height() + 150);
}

TEST_F(MainWindowTest, AMenuTakesItsPromptWithItWhenItCloses) {
    auto frame = openWindow();
    QMenu* file = frame->menuBar()->findChildren<QMenu*>().front();
    file->popup(frame->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    frame->Action(kSave)->showStatusText(frame.get());
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Saves the image list.");
    QTest::keyClick(file, Qt::Key_Escape);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "");
}

// Scrolling a pane over its fields leaves them as they were; a field with the focus takes the
// wheel.
TEST_F(MainWindowTest, TheWheelScrollsThePaneAndChangesOnlyTheFocusedField) {
    auto frame = openWindow();
    frame->resize(700, 380);
    frame->Action(kNewImage)->trigger();
    frame->View()->Tabs()->setCurrentIndex(1);
    auto* date = frame->View()->findChild<QDateEdit*>("firstDate");
    ASSERT_NE(date, nullptr);
    QScrollArea* pane = nullptr;
    for (QWidget* above = date->parentWidget(); pane == nullptr; above = above->parentWidget()) {
        pane = qobject_cast<QScrollArea*>(above);
    }
    ASSERT_GT(pane->verticalScrollBar()->maximum(), 0);
    auto wheel = [&] {
        QPoint middle = date->rect().center();
        QWheelEvent turn(middle, date->mapToGlobal(middle), {}, {0, -120}, Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(date, &turn);
    };
    // Back on the Properties tab, another element's pane starts at its top.
    frame->View()->Tabs()->setCurrentIndex(0);
    CDrawing* drawing = frame->View()->Canvas()->Drawing();
    CDrawObj* text = drawing->AddTextData();
    frame->View()->Canvas()->Select(text);
    auto* properties = frame->View()->findChild<QScrollArea*>("propertiesScroll");
    ASSERT_NE(properties, nullptr);
    ASSERT_GT(properties->verticalScrollBar()->maximum(), 0);
    properties->verticalScrollBar()->setValue(properties->verticalScrollBar()->maximum());
    frame->View()->Canvas()->Select(drawing->GetBackground());
    EXPECT_EQ(properties->verticalScrollBar()->value(), 0);
    frame->View()->Tabs()->setCurrentIndex(1);
    QDate shown = date->date();
    frame->View()->ImageList()->setFocus();
    wheel();
    EXPECT_EQ(date->date(), shown);
    EXPECT_GT(pane->verticalScrollBar()->value(), 0);
    date->setFocus();
    wheel();
    EXPECT_NE(date->date(), shown);
}

// With no image selected no field of either tab can be edited: the edit would go nowhere.
TEST_F(MainWindowTest, WithoutASelectedImageNoFieldTakesAnEdit) {
    enum class Way { FirstStart, EmptyList, ImageDeleted, RowDeselected };
    for (Way way : {Way::FirstStart, Way::EmptyList, Way::ImageDeleted, Way::RowDeselected}) {
        if (way == Way::FirstStart) {
            CSettings::Instance().SetOpenedFile(m_defaultFolder + "/data/data.xml");
        } else {
            CSettings::Instance().SetOpenedFile(m_list);
        }
        auto frame = openWindow();
        if (way == Way::ImageDeleted || way == Way::RowDeselected) {
            frame->Action(kNewImage)->trigger();
        }
        if (way == Way::ImageDeleted) {  // the only one
            CMessageBox::AnswerNext(QMessageBox::Yes);
            frame->Action(kDeleteImage)->trigger();
        } else if (way == Way::RowDeselected) {
            frame->Action(kNewImage)->trigger();
            QTableView* list = frame->View()->ImageList();
            QRect row = list->visualRect(list->model()->index(1, Model::Name));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, row.center());
        }
        ASSERT_EQ(frame->View()->SelectedProfile(), nullptr) << static_cast<int>(way);
        for (int tab : {0, 1}) {
            frame->View()->Tabs()->setCurrentIndex(tab);
            QWidget* page = frame->View()->Tabs()->currentWidget();
            for (QWidget* field : page->findChildren<QWidget*>()) {
                bool editable =
                    qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field) ||
                    qobject_cast<QAbstractSpinBox*>(field) ||
                    qobject_cast<QAbstractButton*>(field) || qobject_cast<QPlainTextEdit*>(field);
                if (editable && field->isVisibleTo(page)) {
                    EXPECT_FALSE(field->isEnabled())
                        << static_cast<int>(way) << " " << field->objectName().toStdString();
                }
            }
        }
    }
}

// Apply and Test stay in sight at the window's first size, and export edits not applied are
// never lost without a word: another image, a save or closing asks first.
TEST_F(MainWindowTest, ExportEditsAreAppliedDiscardedOrKeptAsTheUserAnswers) {
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    frame->Action(kNewImage)->trigger();
    click(*frame, 0, Model::Name);
    frame->View()->Tabs()->setCurrentIndex(1);
    CExportProperties* page = frame->View()->ExportPage();
    QPushButton* apply = page->Form().apply;
    QLineEdit* server = page->FtpPage()->Form().server;
    EXPECT_TRUE(apply->isVisible());
    EXPECT_LE(apply->mapTo(frame.get(), QPoint(0, apply->height())).y(), frame->height());
    CProfile* first = frame->View()->Model().ProfileAt(0);

    struct Step {
        QMessageBox::StandardButton answer;
        int selectedAfter;
        std::string serverAfter;
    };
    for (const Step& step : {Step{QMessageBox::Cancel, 0, ""}, Step{QMessageBox::Discard, 1, ""},
                             Step{QMessageBox::Apply, 1, "ftp.example.org"}}) {
        click(*frame, 0, Model::Name);
        server->setFocus();
        server->selectAll();
        QTest::keyClicks(server, "ftp.example.org");
        CMessageBox::Shown().clear();
        CMessageBox::AnswerNext(step.answer);
        click(*frame, 1, Model::Name);
        EXPECT_THAT(CMessageBox::Shown(),
                    ElementsAre("The export settings of \"New Image\" were changed but not "
                                "applied. Apply them before you go on?"));
        EXPECT_EQ(frame->View()->SelectedProfile(),
                  frame->View()->Model().ProfileAt(step.selectedAfter));
        EXPECT_EQ(first->GetServerName(), step.serverAfter);
        if (step.answer == QMessageBox::Cancel) {
            EXPECT_EQ(server->text(), "ftp.example.org");  // still there to apply
        }
    }
    click(*frame, 0, Model::Name);
    QTest::keyClicks(server, "x");
    CMessageBox::AnswerNext(QMessageBox::Cancel);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(MainWindowTest, AnActiveImageIsNeitherDeletedNorUntickedWhileItExports) {
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    frame->Action(kSave)->trigger();
    CProfile* image = frame->View()->Model().ProfileAt(0);
    image->SetFirstStartDateTime(Clock::NowSeconds() + 3600);  // no export during the test
    click(*frame, 0, Model::Active);
    EXPECT_TRUE(image->GetActive() && ticked(*frame, 0));
    EXPECT_TRUE(frame->isWindowModified());
    frame->Action(kDeleteImage)->trigger();
    EXPECT_THAT(
        CMessageBox::Shown(),
        ElementsAre(StartsWith("The image is activated. Only deactivated images can be deleted")));
    EXPECT_EQ(names(*frame), Names{"New Image"});

    CMessageBox::Shown().clear();
    image->SetState(ExportState::Running);
    click(*frame, 0, Model::Active);
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre(StartsWith("The image is queued for export")));
    EXPECT_TRUE(image->GetActive() && ticked(*frame, 0));

    CMessageBox::Shown().clear();
    image->SetState(ExportState::Waiting);
    click(*frame, 0, Model::Active);
    EXPECT_TRUE(CMessageBox::Shown().empty());
    EXPECT_FALSE(image->GetActive() || ticked(*frame, 0));
    EXPECT_EQ(text(*frame, 0, Model::Status), "Deactivated");
    CMessageBox::AnswerNext(QMessageBox::Yes);
    frame->Action(kDeleteImage)->trigger();
    EXPECT_TRUE(names(*frame).empty());
}

TEST_F(MainWindowTest, LoadingAFileThatIsNoImageListKeepsTheList) {
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    std::string notes = m_dir.filePath("notes.xml").toStdString();
    writeFile(notes, "Shopping: milk & bread\n");
    CFileDialog::AnswerNext(QString::fromStdString(notes));
    frame->Action(kLoadList)->trigger();
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre("The file could not be loaded (" + notes + ")"));
    EXPECT_EQ(names(*frame), Names{"New Image"});
    EXPECT_EQ(CSettings::Instance().GetOpenedFile(), m_list);
    EXPECT_EQ(frame->windowTitle().toStdString(), "images.xml[*] - Skyvane");
    EXPECT_THAT(readFile(m_list), HasSubstr("New Image"));  // saved before the file was chosen

    std::string harbour = m_dir.filePath("harbour.xml").toStdString();
    writeFile(harbour, "<profiles><profile name=\"Harbour\" intervall=\"5\"/></profiles>");
    CFileDialog::AnswerNext(QString::fromStdString(harbour));
    frame->Action(kLoadList)->trigger();
    EXPECT_EQ(names(*frame), Names{"Harbour"});
    EXPECT_EQ(frame->windowTitle().toStdString(), "harbour.xml[*] - Skyvane");
}

TEST_F(MainWindowTest, AWellFormedFileWithoutImagesIsNoImageListEither) {
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    std::string drawing = m_dir.filePath("logo.svg").toStdString();
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\"><rect width=\"4\"/></svg>";
    writeFile(drawing, svg);
    CFileDialog::AnswerNext(QString::fromStdString(drawing));
    frame->Action(kLoadList)->trigger();
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre(StartsWith("The file could not be loaded")));
    EXPECT_EQ(names(*frame), Names{"New Image"});
    frame->Action(kNewList)->trigger();  // saves the list it replaces
    EXPECT_EQ(readFile(drawing), svg);
}

TEST_F(MainWindowTest, TheStatusColumnCountsDownOneRowAtATime) {
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    frame->Action(kNewImage)->trigger();
    CProfile* image = frame->View()->Model().ProfileAt(0);
    image->SetFirstStartDateTime(Clock::NowSeconds() + 3600);
    click(*frame, 0, Model::Active);
    QCoreApplication::processEvents();
    QSignalSpy changes(&frame->View()->Model(), &QAbstractItemModel::dataChanged);
    auto tick = [&] {  // as the image's timer delivers it
        const_cast<CProfileSchedule&>(image->GetSchedule()).Tick();
        QCoreApplication::processEvents();
        return text(*frame, 0, Model::Status);
    };
    std::string first = tick();
    EXPECT_THAT(first, testing::MatchesRegex("Waiting \\(0:0(1:00:00|0:59:5[0-9])\\)"));
    std::string second = tick();
    EXPECT_NE(second, first);
    EXPECT_EQ(second, image->GetStatusText());
    // The timer counts on by itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return text(*frame, 0, Model::Status) != second; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(text(*frame, 1, Model::Status), "Deactivated");
    ASSERT_GE(changes.size(), 3);
    for (const QList<QVariant>& change : changes) {
        for (const QModelIndex& corner : {change[0].toModelIndex(), change[1].toModelIndex()}) {
            EXPECT_EQ(corner.row(), 0);
            EXPECT_EQ(corner.column(), Model::Status);
        }
    }
}

TEST_F(MainWindowTest, TheLastExportShowsInTheList) {
    LocalFtpServer server;
    ASSERT_NE(server.Port(), 0);
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    CProfile* image = frame->View()->Model().ProfileAt(0);
    image->SetServerName("127.0.0.1:" + std::to_string(server.Port()));
    image->SetUserName("station");
    image->SetPassword("secret");
    image->SetFileName("harbour.jpg");
    EXPECT_EQ(text(*frame, 0, Model::LastStatus) + text(*frame, 0, Model::LastFinish), "");
    QSignalSpy changes(&frame->View()->Model(), &QAbstractItemModel::dataChanged);
    image->Execute(nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(text(*frame, 0, Model::LastStatus), "Success");
    EXPECT_NE(text(*frame, 0, Model::LastStart), "");
    EXPECT_NE(text(*frame, 0, Model::LastFinish), "");
    EXPECT_FALSE(cell(*frame, 0, Model::LastStatus, Qt::ToolTipRole).isValid());
    EXPECT_EQ(readFile(server.Root() + "/harbour.jpg").substr(0, 3), "\xFF\xD8\xFF");
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last()[0].toModelIndex(), frame->View()->Model().index(0, Model::LastStatus));
    EXPECT_EQ(changes.last()[1].toModelIndex(), frame->View()->Model().index(0, Model::LastFinish));

    image->SetPassword("wrong");
    image->Execute(nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(text(*frame, 0, Model::LastStatus), "Error");
    EXPECT_THAT(text(*frame, 0, Model::LastStatus, Qt::ToolTipRole), HasSubstr("530"));
}

TEST_F(MainWindowTest, WithoutATrayTheWindowStartsMinimized) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // offscreen has none
    auto start = [](int minimizedSetting, bool minimizedArgument) {
        CSettings::Instance().SetWindowMinimized(minimizedSetting);
        auto frame = std::make_unique<CMainFrame>();
        frame->ShowAtStart(minimizedArgument);
        EXPECT_TRUE(frame->isVisible());
        return frame;
    };
    auto frame = start(0, true);
    EXPECT_FALSE(frame->UsesTray());
    EXPECT_EQ(frame->TrayIcon(), nullptr);
    EXPECT_TRUE(frame->isMinimized());
    frame->BringToFront();
    EXPECT_FALSE(frame->isMinimized());
    frame->Action(kMinimize)->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->isMinimized() && frame->isVisible());
    EXPECT_TRUE(start(1, false)->isMinimized());
    EXPECT_FALSE(start(0, false)->isMinimized());
}

TEST_F(MainWindowTest, AWriteInTheWeatherFolderUpdatesTheWarning) {
    writeFile(m_weather, weatherAt(Clock::NowSeconds() - 2 * 24 * 3600));
    ASSERT_TRUE(CWeatherData::Instance().Reload());
    auto frame = openWindow();
    QLabel* warning = frame->WeatherWarning();
    EXPECT_EQ(warning->text().toStdString(), "Warning: The weather data is older than 1 day");
    QElapsedTimer timer;
    timer.start();
    writeFile(m_weather, weatherAt(Clock::NowSeconds()));
    QCoreApplication::processEvents();
    EXPECT_NE(warning->text().toStdString(), "");  // the write settles first
    EXPECT_TRUE(QTest::qWaitFor([&] { return warning->text().isEmpty(); }, 5000));
    EXPECT_GE(timer.elapsed(), 900);
    writeFile(m_weather, weatherAt(Clock::NowSeconds() - 2 * 24 * 3600));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !warning->text().isEmpty(); }, 5000));
    // A file that is gone is told as such, with the path that was tried.
    std::filesystem::remove(m_weather);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return warning->text().startsWith(
                "The weather data file " + QString::fromStdString(m_weather) + " does not exist");
        },
        5000))
        << warning->text().toStdString();
}

TEST_F(MainWindowTest, AListFileThatIsGoneIsToldAndSavedToAgain) {
    // Not silently the default list in its place: the next save would go elsewhere.
    std::string defaultList = CSettings::GetProgramDirectory() + "SKV/data/data.xml";
    std::filesystem::create_directories(CSettings::GetProgramDirectory() + "SKV/data");
    ProfileList other;
    other.push_back(std::make_unique<CProfile>("Default image", nullptr));
    SaveProfilesFile(defaultList, other);
    std::string gone = m_dir.filePath("gone.xml").toStdString();
    CSettings::Instance().SetOpenedFile(gone);
    auto frame = openWindow();
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre("The file could not be loaded (" + gone + ")"));
    EXPECT_TRUE(names(*frame).empty());
    EXPECT_EQ(frame->windowTitle().toStdString(), "gone.xml[*] - Skyvane");
    EXPECT_EQ(CSettings::Instance().GetOpenedFile(), gone);
    frame->Action(kNewImage)->trigger();
    frame->Action(kSave)->trigger();
    EXPECT_THAT(readFile(gone), HasSubstr("New Image"));
    EXPECT_THAT(readFile(defaultList), HasSubstr("Default image"));
}

TEST(Examples, TheInstalledOnesLieBesideTheProgramsBinFolder) {
    QTemporaryDir prefix;
    QDir(prefix.path()).mkpath("bin");
    EXPECT_EQ(InstalledExamples(prefix.filePath("bin")), "");
    QString examples = prefix.filePath("share/doc/skyvane/examples");
    QDir().mkpath(examples);
    writeFile((examples + "/data.xml").toStdString(), "<profiles/>");
    EXPECT_EQ(InstalledExamples(prefix.filePath("bin")), examples);
}

// The first start names no list that is not there, and offers a first image or the examples
// (a copy of them, deactivated, its weather file standing in for a missing one; a copy the user
// has already is opened as it is).
TEST_F(MainWindowTest, TheFirstStartOffersAFirstImageOrTheExamples) {
    struct Case {
        const char* button;
        bool weatherThere;
        bool ownCopy;
        Names names;
    };
    const Case cases[] = {
        {"createImage", true, false, {"New Image"}},
        {"openExamples", false, false, {"Station overview", "Banner", "Weather by e-mail"}},
        {"openExamples", true, true, {"Mine"}},
    };
    std::string copy = m_examplesCopy + "/data.xml";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + (c.ownCopy ? " over an own copy" : ""));
        std::error_code ignored;
        std::filesystem::remove_all(m_examplesCopy, ignored);
        std::string mine;
        if (c.ownCopy) {
            ProfileList own;
            own.push_back(std::make_unique<CProfile>("Mine", nullptr));
            std::filesystem::create_directories(m_examplesCopy);
            SaveProfilesFile(copy, own);
            mine = readFile(copy);
        }
        std::string weather = c.weatherThere ? m_weather : m_dir.filePath("none.lst").toStdString();
        CSettings::Instance().SetWeatherFilePath(weather);
        CSettings::Instance().SetOpenedFile(m_defaultFolder + "/data/data.xml");
        auto frame = openWindow();
        frame->View()->SetExamplesFolder(SKYVANE_SOURCE_DIR "/examples");
        EXPECT_EQ(frame->windowTitle().toStdString(), "Skyvane[*]");
        auto* offer = frame->View()->findChild<QWidget*>("emptyState");
        ASSERT_NE(offer, nullptr);
        EXPECT_TRUE(offer->isVisible());
        QTest::mouseClick(frame->View()->findChild<QPushButton*>(c.button), Qt::LeftButton);
        EXPECT_EQ(names(*frame), c.names);
        EXPECT_FALSE(offer->isVisible());
        EXPECT_TRUE(frame->View()->CanvasHost()->isVisible());
        if (std::string(c.button) == "createImage") {
            continue;
        }
        EXPECT_EQ(CSettings::Instance().GetOpenedFile(), copy);
        EXPECT_FALSE(std::filesystem::exists(m_defaultFolder + "/data/data.xml"));
        EXPECT_EQ(frame->windowTitle().toStdString(), "data.xml[*] - Skyvane");
        EXPECT_FALSE(frame->isWindowModified());
        if (c.ownCopy) {
            EXPECT_EQ(readFile(copy), mine);
        } else {
            EXPECT_FALSE(ticked(*frame, 0));
            EXPECT_FALSE(ticked(*frame, 1));
            EXPECT_THAT(readFile(copy), Not(HasSubstr("active=\"true\"")));
            EXPECT_TRUE(std::filesystem::exists(m_examplesCopy + "/logo.png"));
        }
        EXPECT_EQ(CSettings::Instance().GetWeatherFilePath(),
                  c.weatherThere ? weather : m_examplesCopy + "/currdat.lst");
    }
}

// Last in this file on purpose (gtest runs tests in file order): a window that really closes
// shuts the process-wide export queue down for good, so an export queued by a later test of
// this process would never run. (Under ctest every test has a process of its own anyway.)
TEST_F(MainWindowTest, ClosingWithNewImagesThatWereNeverSavedAsksFirst) {
    auto frame = openWindow();
    frame->Action(kNewList)->trigger();
    EXPECT_EQ(CSettings::Instance().GetOpenedFile(), "");
    EXPECT_EQ(frame->windowTitle().toStdString(), "Skyvane[*]");
    frame->Action(kNewImage)->trigger();
    std::string before = readFile(m_list);
    CMessageBox::AnswerNext(QMessageBox::Cancel);
    EXPECT_FALSE(frame->close());
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre("Do you want to save your new images?"));
    CMessageBox::AnswerNext(QMessageBox::Yes);
    CFileDialog::AnswerNext("");  // the file dialog cancelled
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());

    CMessageBox::AnswerNext(QMessageBox::No);
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(QDir(m_dir.path()).entryList({"*.xml"}).join(" ").toStdString(), "images.xml");
    EXPECT_EQ(readFile(m_list), before);

    frame = openWindow();
    frame->Action(kNewImage)->trigger();
    std::string chosen = m_dir.filePath("garden.xml").toStdString();
    CMessageBox::AnswerNext(QMessageBox::Yes);
    CFileDialog::AnswerNext(QString::fromStdString(chosen));
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_THAT(readFile(chosen), HasSubstr("name=\"New Image\""));
    EXPECT_EQ(CSettings::Instance().GetOpenedFile(), chosen);
}

}  // namespace

TEST_F(MainWindowTest, TheViewMenuZoomsTheCanvas) {
    auto frame = openWindow();
    frame->Action(kNewImage)->trigger();
    CCanvasView* canvas = frame->View()->Canvas();
    EXPECT_EQ(frame->Action(293)->shortcut(), QKeySequence("Ctrl+0"));
    EXPECT_EQ(frame->Action(294)->shortcut(), QKeySequence("Ctrl+1"));
    frame->Action(291)->trigger();
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 1.5);
    frame->Action(292)->trigger();
    frame->Action(292)->trigger();
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 0.75);
    frame->Action(294)->trigger();
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 1.0);
    frame->Action(293)->trigger();
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 1.0);  // a 400 × 400 image fits the window
}
