// The save dialog over the running main window, driven as a user drives it: its radios, the
// file dialog it opens, the files it leaves behind, and the acquisition it holds and restarts.

#include "app/main/testing/MainWindowFixture.h"

#include "core/data/OscData.h"
#include "platform/testing/SmallTmpfs.h"
#include "tools/save/DialogSave.h"
#include "tools/save/SaveWriters.h"

#include <QByteArray>
#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Save = CDialogSave;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SaveDialogTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        dir_ = FolderOfThisRun("tools_save");
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    // Runs the dialog over the main window with the stored format `saveType` and drives it from
    // inside its modal loop; closes it with "Отмена" when `inside` left it open. The format it
    // stores back is put into saveType.
    static void RunSave(CVelkaroDlg& d, int& saveType, const std::function<void(CDialogSave&)>& inside)
    {
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            auto* dialog = dynamic_cast<CDialogSave*>(m.window);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->GetParent(), &d);
            inside(*dialog);
            if (dialog->ContinueModal()) uitest::Click(dialog->GetDlgItem(IDCANCEL));
        });
        saveType = RunSaveDialog(&d.GetChart(), &d, saveType);
    }

    // The next file dialog answers `path`, or is cancelled when path is empty.
    static void AnswerFileDialog(const std::string& path, std::string* proposed = nullptr)
    {
        uitest::OnNextModal([path, proposed](uihooks::ModalContext& m) {
            EXPECT_EQ(m.kind, uihooks::ModalKind::FileDialog);
            EXPECT_FALSE(m.openDialog);
            if (proposed != nullptr) *proposed = m.fileName;
            if (path.empty()) {
                m.End(IDCANCEL);
            } else {
                m.fileName = path;
                m.End(IDOK);
            }
        });
    }

    // The next modal window must be a message box: its text and type are noted and it is
    // answered with OK.
    static void NoteMessageBox(std::string& text, UINT& type)
    {
        uitest::OnNextModal([&text, &type](uihooks::ModalContext& m) {
            EXPECT_EQ(m.kind, uihooks::ModalKind::MessageBox);
            text = m.text;
            type = m.type;
            m.End(IDOK);
        });
    }

    static bool Enabled(CDialogSave& s, UINT id) { return s.GetDlgItem(static_cast<int>(id))->IsWindowEnabled(); }
    static bool Checked(CDialogSave& s, UINT id) { return s.IsDlgButtonChecked(static_cast<int>(id)) != 0; }

    // A stopped model with a finished read-out, only the test's ticks drawing.
    static void Offline(CVelkaroDlg& d, const std::function<void(OscData&)>& more = {})
    {
        d.KillTimer(CVelkaroDlg::kTickTimerId);
        WithData([&](OscData& data) {
            data.mode = (data.mode & ~(MODE_RECORDER | MODE_SINGLE)) | MODE_STOPPED;
            data.osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
            data.read_state = 3;
            if (more) more(data);
        });
    }

    std::filesystem::path dir_;
};

TEST_F(SaveDialogTest, StoredFormatPicksTheRadioAndIsTakenBackOnClosing)
{
    struct Row {
        int stored;
        UINT checked;
        int back;
    };
    const Row rows[] = {{0, Save::kTextId, 0}, {1, Save::kImageId, 1}, {2, Save::kCsvId, 2}, {7, Save::kTextId, 0}};
    RunWindow([&](CVelkaroDlg& d) {
        Offline(d);
        for (const Row& r : rows) {
            int type = r.stored;
            RunSave(d, type, [&](CDialogSave& s) {
                EXPECT_TRUE(Checked(s, Save::kScreenId));
                EXPECT_FALSE(Checked(s, Save::kBufferId));
                EXPECT_TRUE(Checked(s, r.checked)) << r.stored;
            });
            EXPECT_EQ(type, r.back) << r.stored;
        }
        // The user's choice is what is taken back.
        int type = 0;
        RunSave(d, type, [&](CDialogSave& s) { uitest::Click(s.GetDlgItem(Save::kCsvId)); });
        EXPECT_EQ(type, 2);
    });
}

TEST_F(SaveDialogTest, BufferSwitchesAnImageToTextUntilTheScreenIsChosenAgain)
{
    RunWindow([&](CVelkaroDlg& d) {
        Offline(d);
        int type = 1;
        RunSave(d, type, [&](CDialogSave& s) {
            ASSERT_TRUE(Enabled(s, Save::kBufferId));
            uitest::Click(s.GetDlgItem(Save::kBufferId));
            EXPECT_TRUE(Checked(s, Save::kBufferId));
            EXPECT_FALSE(Checked(s, Save::kImageId));
            EXPECT_TRUE(Checked(s, Save::kTextId));
            EXPECT_FALSE(Enabled(s, Save::kImageId));
            uitest::Click(s.GetDlgItem(Save::kImageId));  // disabled: nothing
            EXPECT_FALSE(Checked(s, Save::kImageId));

            uitest::Click(s.GetDlgItem(Save::kScreenId));
            EXPECT_TRUE(Enabled(s, Save::kImageId));
            uitest::Click(s.GetDlgItem(Save::kImageId));
            EXPECT_TRUE(Checked(s, Save::kImageId));
            uitest::RenderToPng(&s, uitest::OutputPath("tools_save/save_dialog.png"));
        });
        EXPECT_EQ(type, 1);
    });
}

// The arrows move the check within each group of radios as they move the focus, and what they
// check counts as a click does: the buffer takes the image away as its click does.
TEST_F(SaveDialogTest, ArrowKeysMoveTheCheckWithinEachGroup)
{
    RunWindow([&](CVelkaroDlg& d) {
        Offline(d);
        int type = 1;
        RunSave(d, type, [&](CDialogSave& s) {
            CWnd* image = s.GetDlgItem(Save::kImageId);
            image->SetFocus();
            ASSERT_TRUE(Checked(s, Save::kImageId));
            uitest::Key(image, VK_DOWN);
            EXPECT_EQ(CWnd::GetFocus(), s.GetDlgItem(Save::kTextId));
            EXPECT_TRUE(Checked(s, Save::kTextId));
            EXPECT_FALSE(Checked(s, Save::kImageId));
            uitest::Key(CWnd::GetFocus(), VK_DOWN);
            EXPECT_TRUE(Checked(s, Save::kCsvId));
            uitest::Key(CWnd::GetFocus(), VK_DOWN);
            EXPECT_EQ(CWnd::GetFocus(), image) << "round within the formats";
            EXPECT_TRUE(Checked(s, Save::kImageId));

            CWnd* screen = s.GetDlgItem(Save::kScreenId);
            screen->SetFocus();
            ASSERT_TRUE(Checked(s, Save::kScreenId));
            uitest::Key(screen, VK_DOWN);
            EXPECT_EQ(CWnd::GetFocus(), s.GetDlgItem(Save::kBufferId));
            EXPECT_TRUE(Checked(s, Save::kBufferId));
            EXPECT_FALSE(Checked(s, Save::kScreenId));
            EXPECT_TRUE(Checked(s, Save::kTextId)) << "the buffer has no image";
            EXPECT_FALSE(Enabled(s, Save::kImageId));
            uitest::Key(CWnd::GetFocus(), VK_DOWN);
            EXPECT_EQ(CWnd::GetFocus(), screen) << "round within the sources";
            EXPECT_TRUE(Checked(s, Save::kScreenId));
            EXPECT_TRUE(Enabled(s, Save::kImageId));
        });
        EXPECT_EQ(type, 0) << "the text the buffer chose";
    });
}

TEST_F(SaveDialogTest, BufferWaitsForTheWholeReadOut)
{
    struct Row {
        const char* name;
        std::uint32_t mode;
        std::uint32_t readState;
        bool enabledAtOpen;
    };
    const Row rows[] = {
        {"stopped, read", MODE_STOPPED, 3, true},
        {"stopped, A being read", MODE_STOPPED, 1, false},
        {"stopped, B being read", MODE_STOPPED, 2, false},
        {"recorder", MODE_STOPPED | MODE_RECORDER, 3, false},
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Row& r : rows) {
            Offline(d, [&](OscData& data) {
                data.mode = (data.mode & ~(MODE_STOPPED | MODE_RECORDER)) | r.mode;
                data.read_state = r.readState;
            });
            int type = 0;
            RunSave(d, type, [&](CDialogSave& s) {
                EXPECT_EQ(uitest::TimerPeriod(&s, Save::kPollTimerId), 500) << r.name;
                EXPECT_EQ(Enabled(s, Save::kBufferId), r.enabledAtOpen) << r.name;
                // Half way through the read-out the buffer holds channel A of one capture and B
                // of another: it stays unavailable.
                for (std::uint32_t state : {1u, 2u}) {
                    WithData([&](OscData& data) { data.read_state = state; });
                    ASSERT_TRUE(uitest::FireTimer(&s, Save::kPollTimerId));
                    EXPECT_FALSE(Enabled(s, Save::kBufferId)) << r.name << " at " << state;
                }
                WithData([](OscData& data) { data.read_state = 3; });
                ASSERT_TRUE(uitest::FireTimer(&s, Save::kPollTimerId));
                EXPECT_TRUE(Enabled(s, Save::kBufferId)) << r.name;
            });
        }
    });
}

TEST_F(SaveDialogTest, HoldsTheAcquisitionAndRestoresItOnClosing)
{
    struct Row {
        const char* name;
        bool stopped;
        bool trigger;
        std::uint32_t modeWhileOpen;  // MODE_STOPPED | MODE_SINGLE as the dialog leaves them
        std::uint32_t modeAfter;
    };
    const Row rows[] = {
        {"running, untriggered", false, false, MODE_STOPPED, 0},
        {"running, triggered", false, true, MODE_SINGLE, 0},
        // A stopped capture is never armed again: that would replace what is being saved.
        {"stopped, triggered", true, true, MODE_STOPPED, MODE_STOPPED},
        {"stopped, untriggered", true, false, MODE_STOPPED, MODE_STOPPED},
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Row& r : rows) {
            Offline(d, [&](OscData& data) {
                if (!r.stopped) data.mode &= ~MODE_STOPPED;
                if (r.trigger) data.osc_cr |= OSC_CR_TRIGGER_ON;
            });
            int type = 0;
            RunSave(d, type, [&](CDialogSave& s) {
                EXPECT_EQ(Enabled(s, Save::kBufferId), r.stopped) << r.name;
                WithData([&](OscData& data) {
                    EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), r.modeWhileOpen) << r.name;
                    // The triggered capture completes and the link stops the acquisition.
                    if (r.trigger && !r.stopped) data.mode = (data.mode & ~MODE_SINGLE) | MODE_STOPPED;
                });
            });
            WithData([&](OscData& data) {
                EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), r.modeAfter) << r.name;
            });
        }
    });
}

TEST_F(SaveDialogTest, CancelledFileDialogWritesNothingAndKeepsTheDialogOpen)
{
    RunWindow([&](CVelkaroDlg& d) {
        Offline(d);
        for (UINT format : {Save::kImageId, Save::kTextId, Save::kCsvId}) {
            int type = 0;
            RunSave(d, type, [&](CDialogSave& s) {
                uitest::Click(s.GetDlgItem(static_cast<int>(format)));
                std::string proposed;
                AnswerFileDialog("", &proposed);
                uitest::Click(s.GetDlgItem(Save::kSaveId));
                EXPECT_EQ(uihooks::PendingModalHandlers(), 0u);
                EXPECT_EQ(proposed, format == Save::kImageId ? "*.bmp" : format == Save::kTextId ? "*.txt" : "*.csv");
                EXPECT_TRUE(s.ContinueModal()) << format;
            });
        }
        EXPECT_TRUE(std::filesystem::is_empty(dir_));
    });
}

TEST_F(SaveDialogTest, UnopenableFileShowsTheStopBoxAndCloses)
{
    RunWindow([&](CVelkaroDlg& d) {
        Offline(d);
        for (UINT format : {Save::kImageId, Save::kTextId, Save::kCsvId}) {
            const std::string path = PathOf("no-such-folder/file.png");
            int type = 0;
            std::string shown;
            UINT boxType = 0;
            RunSave(d, type, [&](CDialogSave& s) {
                uitest::Click(s.GetDlgItem(static_cast<int>(format)));
                AnswerFileDialog(path);
                NoteMessageBox(shown, boxType);
                uitest::Click(s.GetDlgItem(Save::kSaveId));
                EXPECT_FALSE(s.ContinueModal()) << format;
            });
            EXPECT_EQ(shown, "Ошибка открытия файла " + path + "!") << format;
            EXPECT_EQ(boxType & 0xF0u, MB_ICONSTOP) << format;
            EXPECT_FALSE(std::filesystem::exists(path));
        }
    });
}

TEST_F(SaveDialogTest, ImagesOfEveryExtensionShowTheChart)
{
    RunWindow([&](CVelkaroDlg& d) {
        Offline(d, [](OscData& data) {
            data.osc_cr = OSC_CR_CH_A_ON;
            data.mode &= ~MODE_STOPPED;
            data.status = 0;
            data.valid_points = SCREEN_POINTS;
            for (int c = 0; c < SCREEN_TRACES; ++c) {
                data.gain_sel[c] = data.gain_ref[c] = 1;
                data.y_offset[c] = 0;
            }
            // A square wave: long horizontal runs of channel A's colour.
            for (int i = 0; i < SCREEN_POINTS; ++i) data.screen_points[0][i] = (i / 50) % 2 != 0 ? 60 : -60;
        });
        Tick(d);
        WithData([](OscData& data) { data.mode |= MODE_STOPPED; });
        struct Row {
            const char* name;
            const char* decodedAs;
            int tolerance;  // lossy formats shift colours
        };
        const Row rows[] = {{"screen.bmp", "bmp", 0},  {"screen.PNG", "png", 0},  {"screen.jpg", "jpeg", 40},
                            {"screen.jpeg", "jpeg", 40}, {"screen.gif", "gif", 8}, {"screen.xyz", "bmp", 0}};
        for (const Row& r : rows) {
            const std::string path = PathOf(r.name);
            int type = 0;
            RunSave(d, type, [&](CDialogSave& s) {
                uitest::Click(s.GetDlgItem(Save::kImageId));
                AnswerFileDialog(path);
                uitest::Click(s.GetDlgItem(Save::kSaveId));
                EXPECT_FALSE(s.ContinueModal());
            });
            EXPECT_EQ(type, 1);
            QImageReader reader(QString::fromStdString(path));
            reader.setDecideFormatFromContent(true);
            EXPECT_EQ(reader.format().toStdString(), r.decodedAs) << r.name;
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull()) << r.name;
            EXPECT_EQ(image.width(), CVelkaroDlg::kChartWidth) << r.name;
            EXPECT_EQ(image.height(), CVelkaroDlg::kChartHeight) << r.name;
            auto near = [&](QColor c, int red, int green, int blue) {
                return std::abs(c.red() - red) <= r.tolerance && std::abs(c.green() - green) <= r.tolerance &&
                       std::abs(c.blue() - blue) <= r.tolerance;
            };
            long background = 0;
            long red = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (near(c, 0, 0x32, 0)) ++background;
                    // A lossy encoder spreads a one-pixel line's colour over its neighbours.
                    if (r.tolerance == 0 ? c == QColor(255, 0, 0) : c.red() - std::max(c.green(), c.blue()) >= 60)
                        ++red;
                }
            EXPECT_GT(background, image.width() * image.height() / 2) << r.name;
            // Six horizontal runs of about 140 pixels each.
            EXPECT_GT(red, 500) << r.name;
        }
    });
}

// The user picks "JPEG" in the file dialog and types a name without an extension: the file
// takes the type's extension and is a JPEG, and no BMP is left anywhere.
TEST_F(SaveDialogTest, TheTypeChosenInTheFileDialogNamesAndEncodesTheImage)
{
    RunWindow([&](CVelkaroDlg& d) {
        Offline(d);
        Tick(d);
        const std::string typed = PathOf("chosen");
        std::string type;
        int saveType = 0;
        RunSave(d, saveType, [&](CDialogSave& s) {
            uitest::Click(s.GetDlgItem(Save::kImageId));
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                uitest::ProcessEvents();
                auto* types = qobject_cast<QComboBox*>(uitest::ActiveModalPart("fileTypeCombo"));
                QWidget* name = uitest::ActiveModalPart("fileNameEdit");
                ASSERT_NE(types, nullptr);
                ASSERT_NE(name, nullptr);
                uitest::SelectComboItem(types, 2);
                type = types->currentText().toStdString();
                name->setFocus();  // as after a click into it
                uitest::KeyToActiveWindow('A', uitest::Control);
                uitest::TypeToActiveWindow(typed);
                uitest::KeyToActiveWindow(VK_RETURN);
                uitest::ProcessEvents();
                if (uitest::ActiveModalPart() != nullptr && uitest::ActiveModalPart() != uitest::WidgetOf(&s)) {
                    ADD_FAILURE() << "Enter did not end the file dialog";
                    m.End(IDCANCEL);
                }
            });
            uitest::Click(s.GetDlgItem(Save::kSaveId));
            EXPECT_FALSE(s.ContinueModal());
        });
        EXPECT_EQ(type, "Сжатое изображение JPEG (*.jpg)");
        const std::string written = typed + ".jpg";
        QImageReader reader(QString::fromStdString(written));
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format().toStdString(), "jpeg") << written;
        EXPECT_FALSE(reader.read().isNull());
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"chosen.jpg"});
    });
}

TEST_F(SaveDialogTest, BufferCsvOfARunningInstrumentIsItsMemoryAndRunningResumes)
{
    // Fast enough that the 3000 samples hold many different values whatever the time base.
    SignalSettings fast;
    fast.sineHz = 1234567.0;
    fast.squareHz = 345678.0;
    demoInstrument->SetSignals(fast);
    RunWindow([&](CVelkaroDlg& d) {
        Connect(d);
        ASSERT_TRUE(WaitUntil(&MainWindowTest::Linked));
        WithData([](OscData& data) {
            data.osc_cr = static_cast<std::uint16_t>((data.osc_cr | OSC_CR_CH_A_ON | OSC_CR_CH_B_ON) &
                                                     ~(OSC_CR_TRIGGER_ON | OSC_CR_MIN_MAX | OSC_CR_LOGIC_A | OSC_CR_LOGIC_B));
            data.mode &= ~(MODE_STOPPED | MODE_SINGLE);
            data.changes |= CHANGE_CAPTURE;
        });
        auto cycles = [] {
            CSingleLock lock(&DataLock, TRUE);
            return GetOscData()->cycle_counter;
        };
        const int before = cycles();
        ASSERT_TRUE(WaitUntil([&] { return cycles() > before + 1; }));

        const std::string path = PathOf("buffer.csv");
        // What the instrument holds while the dialog keeps it stopped.
        std::vector<std::int8_t> a;
        std::vector<std::int8_t> b;
        int type = 0;
        RunSave(d, type, [&](CDialogSave& s) {
            EXPECT_FALSE(Enabled(s, Save::kBufferId));
            WithData([](OscData& data) { EXPECT_NE(data.mode & MODE_STOPPED, 0u); });
            ASSERT_TRUE(WaitUntil([&] {
                uitest::FireTimer(&s, Save::kPollTimerId);
                return Enabled(s, Save::kBufferId);
            }));
            a = demoInstrument->GetMemory(0);
            b = demoInstrument->GetMemory(1);
            uitest::Click(s.GetDlgItem(Save::kBufferId));
            uitest::Click(s.GetDlgItem(Save::kCsvId));
            AnswerFileDialog(path);
            uitest::Click(s.GetDlgItem(Save::kSaveId));
            EXPECT_FALSE(s.ContinueModal());
        });
        EXPECT_EQ(type, 2);

        std::istringstream csv(ReadFile(path));
        std::vector<std::string> rows;
        for (std::string l; std::getline(csv, l);) {
            ASSERT_FALSE(l.empty() || l.back() != '\r') << "bare LF";
            l.pop_back();
            rows.push_back(l);
        }
        ASSERT_EQ(a.size(), 3000u);
        ASSERT_EQ(b.size(), 3000u);
        ASSERT_EQ(rows.size(), 6u + 3000u);
        EXPECT_EQ(rows[1], "Количество сэмплов;3000");
        EXPECT_EQ(rows[5], "Канал A;Канал B");
        EXPECT_GT(std::set<std::int8_t>(a.begin(), a.end()).size(), 20u);
        for (std::size_t i = 0; i < 3000; ++i)
            ASSERT_EQ(rows[6 + i], std::to_string(a[i]) + ";" + std::to_string(b[i])) << "sample " << i;

        // Running again after closing.
        WithData([](OscData& data) { EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), 0u); });
        const int after = cycles();
        EXPECT_TRUE(WaitUntil([&] { return cycles() > after + 1; }));
    });
}

TEST_F(SaveDialogTest, AFullDiskKeepsTheEarlierFileAndSaysTheWriteFailed)
{
    SmallTmpfs disk(128 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const std::string earlier = "Количество сэмплов: 3\r\n1\r\n2\r\n3\r\n";
    // The earlier file is there, so the file dialog asks before the save goes on.
    auto confirmReplacing = [] {
        uitest::OnNextModal([](uihooks::ModalContext& m) {
            EXPECT_EQ(m.kind, uihooks::ModalKind::MessageBox);
            EXPECT_NE(m.text.find("уже существует"), std::string::npos) << m.text;
            m.End(IDYES);
        });
    };
    auto namesOnDisk = [&] {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(disk.Path()))
            names.insert(entry.path().filename().string());
        return names;
    };
    RunWindow([&](CVelkaroDlg& d) {
        // The variant with the deepest memory: its buffer is far more than the room left.
        SwitchVariant(d, 1);
        Offline(d);
        // The earlier file laid on the disk with `free` bytes left, then saved over through the
        // dialog as `pick` chooses: what the dialog returned and the message box it showed.
        struct FullSave {
            int type = 0;
            std::string shown;
            UINT boxType = 0;
        };
        auto saveOntoFullDisk = [&](const std::string& path, std::uint64_t free, const std::function<void(CDialogSave&)>& pick) {
            FullSave save;
            disk.Clear();
            {
                std::ofstream(path, std::ios::binary) << earlier;
            }
            EXPECT_TRUE(disk.LeaveFree(free)) << disk.FreeBytes();
            RunSave(d, save.type, [&](CDialogSave& s) {
                pick(s);
                AnswerFileDialog(path);
                confirmReplacing();
                NoteMessageBox(save.shown, save.boxType);
                uitest::Click(s.GetDlgItem(Save::kSaveId));
                EXPECT_EQ(uihooks::PendingModalHandlers(), 0u) << "no message box was shown";
                // An unanswered handler would take the next row's dialogs.
                uihooks::ClearModalHandlers();
                EXPECT_FALSE(s.ContinueModal());
            });
            return save;
        };
        struct Row {
            bool buffer;
            bool csv;
            std::uint64_t free;
        };
        std::vector<Row> rows;
        for (bool buffer : {false, true})
            for (bool csv : {false, true})
                for (std::uint64_t free : {std::uint64_t{0}, std::uint64_t{8192}}) rows.push_back({buffer, csv, free});
        for (const Row& r : rows) {
            const std::string name = std::string(r.buffer ? "buffer" : "screen") + (r.csv ? ".csv" : ".txt");
            SCOPED_TRACE(name + " with " + std::to_string(r.free) + " bytes free");
            WithData([&](OscData& data) {
                data.osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
                if (r.buffer) {
                    for (int c = 0; c < 2; ++c)
                        for (unsigned i = 0; i < data.GetSampleBufferLength(); ++i)
                            data.sample_buffer[c][i] = static_cast<std::int32_t>(i % 200) - 100;
                } else {
                    // Min/max pairs of the widest numbers: the screen's 300 points alone are
                    // more than 8 KiB.
                    data.osc_cr |= OSC_CR_MIN_MAX;
                    for (int c = 0; c < 2; ++c)
                        for (int i = 0; i < SCREEN_VALUES; ++i) data.screen_points[c][i] = -2000000000 + i;
                }
                const SaveSource source = r.buffer ? SaveSource::Buffer : SaveSource::Screen;
                const std::string text = r.csv ? BuildCsvTable(data, source) : BuildTextReport(data, source);
                EXPECT_GT(text.size(), 8192u) << "too little to fill the disk";
            });
            const std::string path = disk.PathOf(name);
            const FullSave save = saveOntoFullDisk(path, r.free, [&](CDialogSave& s) {
                if (r.buffer) uitest::Click(s.GetDlgItem(Save::kBufferId));
                uitest::Click(s.GetDlgItem(r.csv ? Save::kCsvId : Save::kTextId));
            });
            const std::string& shown = save.shown;
            const UINT boxType = save.boxType;
            EXPECT_EQ(shown, "Ошибка записи файла " + path + "!");
            EXPECT_EQ(boxType & 0xF0u, MB_ICONSTOP);
            const std::string kept = ReadFile(path);
            EXPECT_TRUE(kept == earlier) << "the earlier file is not kept byte for byte: " << kept.size() << " bytes now";
            EXPECT_EQ(namesOnDisk(), (std::set<std::string>{"filler", name})) << "no temporary file is left";
            EXPECT_EQ(disk.FreeBytes(), r.free);
        }

        // An image is told the same way: the file was made, its bytes did not fit.
        struct ImageRow {
            const char* name;
            std::uint64_t free;
        };
        for (const ImageRow& r : {ImageRow{"screen.bmp", 0}, ImageRow{"screen.bmp", 8192}, ImageRow{"screen.png", 0}}) {
            SCOPED_TRACE(std::string(r.name) + " with " + std::to_string(r.free) + " bytes free");
            const std::string path = disk.PathOf(r.name);
            const FullSave save = saveOntoFullDisk(path, r.free, [](CDialogSave& s) {
                uitest::Click(s.GetDlgItem(Save::kImageId));
            });
            const std::string& shown = save.shown;
            const UINT boxType = save.boxType;
            EXPECT_EQ(save.type, 1);
            EXPECT_EQ(shown, "Ошибка записи файла " + path + "!");
            EXPECT_EQ(boxType & 0xF0u, MB_ICONSTOP);
            EXPECT_TRUE(ReadFile(path) == earlier) << "the earlier file is not kept";
            EXPECT_EQ(namesOnDisk(), (std::set<std::string>{"filler", r.name}));
        }

        // With room enough the same save replaces the earlier file and says nothing.
        disk.Clear();
        const std::string path = disk.PathOf("screen.csv");
        {
            std::ofstream(path, std::ios::binary) << earlier;
        }
        int type = 0;
        RunSave(d, type, [&](CDialogSave& s) {
            uitest::Click(s.GetDlgItem(Save::kCsvId));
            AnswerFileDialog(path);
            confirmReplacing();
            uitest::Click(s.GetDlgItem(Save::kSaveId));
            EXPECT_EQ(uihooks::PendingModalHandlers(), 0u);
            uihooks::ClearModalHandlers();
            EXPECT_FALSE(s.ContinueModal());
        });
        const std::string written = ReadFile(path);
        EXPECT_EQ(written.rfind("Горизонтальная развертка, на точку (запись);", 0), 0u);
        EXPECT_NE(written.find("Количество сэмплов;300\r\n"), std::string::npos);
        EXPECT_EQ(namesOnDisk(), (std::set<std::string>{"screen.csv"}));
    });
}

}  // namespace
