// The format editor: list operations and their names, the value texts in both units,
// the up-down steps, the enabling rules, the cut-line list, and what OK and Cancel leave
// in the catalogue and on disk.
#include <sstream>

#include "DataLines.h"
#include "app/DialogTexts.h"
#include "app/Paper.h"
#include "dialogs/CutLineDialog.h"
#include "dialogs/CutLineList.h"
#include "dialogs/FormatEditDialog.h"
#include "gui/PrintTestSupport.h"

using namespace FormatEditIds;

namespace {

// ---------------------------------------------------------------------------------------
// The dialog's list operations and fields: the scripts of data/format-edit.txt.

int ControlId(const std::string& name)
{
    // clang-format off
#define SLEEVIT_ID(n) {#n, k##n}
    // clang-format on
    static const std::pair<const char*, int> ids[] = {
        // clang-format off
        SLEEVIT_ID(Add), SLEEVIT_ID(Copy), SLEEVIT_ID(Remove), SLEEVIT_ID(MoveUp), SLEEVIT_ID(MoveDown),
        SLEEVIT_ID(Name), SLEEVIT_ID(Type), SLEEVIT_ID(Label), SLEEVIT_ID(Hole), SLEEVIT_ID(HoleSpin),
        SLEEVIT_ID(Remap), SLEEVIT_ID(RemapList), SLEEVIT_ID(Spine), SLEEVIT_ID(SpineValue),
        SLEEVIT_ID(Autodetect), SLEEVIT_ID(LeftAutomatic), SLEEVIT_ID(LeftManual), SLEEVIT_ID(LeftX),
        SLEEVIT_ID(LeftY), SLEEVIT_ID(LeftYSpin), SLEEVIT_ID(RightManual), SLEEVIT_ID(RightX),
        SLEEVIT_ID(Width), SLEEVIT_ID(WidthSpin), SLEEVIT_ID(Height), SLEEVIT_ID(PaperWidth),
        SLEEVIT_ID(PaperHeight), SLEEVIT_ID(PaperWidthSpin), SLEEVIT_ID(PaperHeightSpin),
        SLEEVIT_ID(PaperWidthCaption), SLEEVIT_ID(SpineSpin), SLEEVIT_ID(HeightSpin), SLEEVIT_ID(LeftXSpin),
        SLEEVIT_ID(RightXSpin), SLEEVIT_ID(RightYSpin), SLEEVIT_ID(Inches), SLEEVIT_ID(Millimetres), SLEEVIT_ID(AddLine),
        SLEEVIT_ID(AddRect), SLEEVIT_ID(EditLine), SLEEVIT_ID(DeleteLine),
        // clang-format on
    };
#undef SLEEVIT_ID
    for (const auto& [n, id] : ids)
        if (name == n)
            return id;
    ADD_FAILURE() << "no control called " << name;
    return -1;
}

std::vector<std::string> Split(const std::string& text, char by)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, by);) {
        part.erase(0, part.find_first_not_of(' '));
        if (!part.empty())
            parts.push_back(part);
    }
    return parts;
}

class EditorScriptTest : public GuiTest {
protected:
    FormatCatalogue catalogue;
    std::unique_ptr<CFormatEditDialog> dialog; // open (shown, not modal) on the catalogue
    std::vector<CoverFormat> saved;            // the catalogue at "snapshot"
    std::unique_ptr<QSignalSpy> beeps;         // of the open dialog
    ScratchFolder scratch;
    std::string path; // the catalogue file the editor reads and writes

    template <class T> T* Item(int id)
    {
        T* item = dialog->Form().ItemAs<T>(id);
        EXPECT_NE(item, nullptr) << "control " << id;
        return item;
    }

    // The rows of a list or the entries of a drop-down list.
    std::vector<std::string> Rows(int id)
    {
        std::vector<std::string> rows;
        auto* list = dialog->Form().ItemAs<QListWidget>(id);
        auto* combo = dialog->Form().ItemAs<QComboBox>(id);
        for (int i = 0; i < (list ? list->count() : combo->count()); ++i)
            rows.push_back((list ? list->item(i)->text() : combo->itemText(i)).toStdString());
        return rows;
    }

    // Clicks a button whose cut line dialog, opened over the editor, act answers.
    void ClickAnswering(int id, std::function<void(CCutLineDialog&)> act)
    {
        Answer<CCutLineDialog> answer([this, id, act = std::move(act)](CCutLineDialog& cut) {
            EXPECT_EQ(cut.parentWidget(), dialog.get());
            EXPECT_EQ(cut.windowTitle().toStdString(), id == kAddRect ? "Cut Rectangle" : "Cut Line");
            act(cut);
        });
        Item<QAbstractButton>(id)->click();
        EXPECT_TRUE(answer.answered) << "nothing answered after a click on " << id;
    }

    double Field(int i, const std::string& field)
    {
        const FormatCatalogue::Placement l = catalogue.GetPlacement(i, false, false);
        const FormatCatalogue::Placement r = catalogue.GetPlacement(i, true, false);
        const std::pair<const char*, double> fields[] = {
            // clang-format off
            {"lx", l.x}, {"ly", l.y}, {"lw", l.width}, {"lh", l.height}, {"rx", r.x}, {"ry", r.y},
            {"rh", r.height}, {"spine", catalogue.GetSpine(i)}, {"hasSpine", catalogue.HasSpine(i)},
            {"label", catalogue.GetLabel(i)}, {"hole", catalogue.GetHoleSize(i)},
            {"auto", catalogue.GetAutodetect(i)}, {"hasRemap", catalogue.HasRemap(i)},
            {"remap", catalogue.GetRemap(i)},
            // clang-format on
        };
        for (const auto& [n, value] : fields)
            if (field == n)
                return value;
        ADD_FAILURE() << "no field called " << field;
        return 0.0;
    }

    // A value of a format, by its name in the scripts.
    static double& Member(CoverFormat& f, const std::string& name)
    {
        const std::pair<const char*, double*> members[] = {
            // clang-format off
            {"hole", &f.holeSize}, {"spine", &f.spine}, {"width", &f.size.width}, {"height", &f.size.height},
            {"paperWidth", &f.paperSize.width}, {"paperHeight", &f.paperSize.height},
            {"leftX", &f.position.x}, {"leftY", &f.position.y}, {"rightX", &f.position2.x},
            {"rightY", &f.position2.y},
            // clang-format on
        };
        for (const auto& [n, member] : members)
            if (name == n)
                return *member;
        ADD_FAILURE() << "no member called " << name;
        return f.spine;
    }

    // One step: "op", "op arg" or "op arg tail"; rest is everything after op.
    void Step(const std::string& step)
    {
        const std::size_t cut = step.find(' ');
        const std::string op = step.substr(0, cut);
        const std::string rest = cut == std::string::npos ? std::string() : step.substr(cut + 1);
        const std::size_t cut2 = rest.find(' ');
        const std::string arg = rest.substr(0, cut2);
        const std::string tail = cut2 == std::string::npos ? std::string() : rest.substr(cut2 + 1);
        const auto id = [&] { return ControlId(arg); };
        if (op == "catalogue") {
            for (const std::string& entry : Split(rest, '|')) {
                const std::vector<std::string> f = Split(entry, ':');
                CoverFormat format = f.size() < 4 ? MakeFormat(f[0])
                                                  : MakeFormat(f[0], std::stod(f[1]), std::stod(f[2]), f[3]);
                if (f.size() > 4)
                    format.position2 = {kMirrorPosition, kMirrorPosition};
                catalogue.Append(format);
            }
        } else if (op == "open") {
            // The editor hands its caption and its whole text table to the language (the
            // table's controls are checked against the template with the other dialogs').
            std::size_t pairs = 0;
            int caption = 0;
            SetDialogTranslator([&](CTemplateDialog&, std::span<const TextPair> texts, int captionKey) {
                pairs = texts.size();
                caption = captionKey;
            });
            dialog = std::make_unique<CFormatEditDialog>(nullptr, catalogue, path, std::stoi(arg));
            ASSERT_TRUE(dialog->Create());
            SetDialogTranslator(nullptr);
            EXPECT_EQ(caption, 7000);
            EXPECT_EQ(pairs, CFormatEditDialog::kTextPairs.size());
            dialog->show();
            beeps = std::make_unique<QSignalSpy>(dialog.get(), &CFormatEditDialog::beeped);
        } else if (op == "unopened") {
            // A dialog closed before it ever opened changes nothing.
            CFormatEditDialog never(nullptr, catalogue, std::string(), 0);
            static_cast<QDialog&>(never).reject();
        } else if (op == "previews") {
            // Both previews show the selected format at its two positions on its paper.
            auto* left = Item<CPaper>(kLeftPreview);
            auto* right = Item<CPaper>(kRightPreview);
            const std::vector<std::string> v = Split(tail, ' ');
            EXPECT_EQ(left->Format(), (CoverSide{std::stoi(arg), Side::Left}));
            EXPECT_EQ(right->Format(), (CoverSide{std::stoi(arg), Side::Right}));
            EXPECT_EQ(left->IsCdTray(), std::stoi(v.at(0)));
            EXPECT_TRUE(v.size() < 3 || left->PaperWidth() == std::stod(v[1])) << left->PaperWidth();
            EXPECT_TRUE(v.size() < 3 || right->PaperHeight() == std::stod(v[2])) << right->PaperHeight();
            ASSERT_NE(left->Image(), nullptr);
            EXPECT_TRUE(left->Image()->IsValid()) << "the built-in sample picture did not load";
            EXPECT_EQ(right->Image(), left->Image());
        } else if (op == "tiny") {
            // One tray label with a spine and manual positions, every value at 0.05 mm.
            CoverFormat f = MakeFormat("Tray", 0.05, 0.05, "CD_TRAY");
            f.label = true;
            f.holeSize = f.spine = 0.05;
            f.paperSize = {0.05, 0.05};
            f.position = f.position2 = {0.05, 0.05};
            catalogue.Clear();
            catalogue.Append(f);
            saved = {f};
        } else if (op == "only") {
            ASSERT_EQ(saved.size(), 1u);
            CoverFormat now = *catalogue.Get(0);
            EXPECT_NEAR(std::exchange(Member(now, arg), 0.0), std::stod(tail), 1e-12);
            CoverFormat want = saved[0];
            Member(want, arg) = 0.0;
            EXPECT_EQ(now, want) << "other values changed too";
        } else if (op == "beeps") {
            EXPECT_EQ(beeps->count(), std::stoi(arg));
        } else if (op == "settext") {
            Item<QLineEdit>(id())->setText(QString::fromStdString(tail));
        } else if (op == "file") {
            path = scratch.File("Sleevit.dat");
            ASSERT_TRUE(catalogue.SaveCatalogueAs(path));
        } else if (op == "blocked") {
            // A plain file where folders should be: neither the catalogue's folder nor
            // the user's data folder can take a file.
            const std::string blocker = scratch.Write("blocker", "x");
            qputenv("XDG_DATA_HOME", QByteArray::fromStdString(blocker + "/data"));
            path = blocker + "/Sleevit.dat";
        } else if (op == "ok" || op == "okfails") {
            MessageBoxes boxes;
            Item<QAbstractButton>(kIdOk)->click();
            EXPECT_EQ(boxes.icons, std::vector<QMessageBox::Icon>(op == "okfails", QMessageBox::Critical))
                << "an error message, or none";
            EXPECT_EQ(dialog->isVisible(), op == "okfails")
                << "the dialog stays open only after a failed save";
            EXPECT_EQ(dialog->result() == QDialog::Accepted, op == "ok");
            EXPECT_EQ(dialog->SavedPath(), op == "ok" ? path : std::string());
        } else if (op == "reread") {
            // The written file, read back, replaces the catalogue for the checks after it.
            FormatCatalogue reread;
            CCollectingMessages messages;
            ASSERT_TRUE(reread.LoadCatalogue(path, messages));
            EXPECT_TRUE(messages.errors.empty())
                << "the written file has a bad line: " << messages.errors.front();
            EXPECT_EQ(reread.CatalogueText(), catalogue.CatalogueText());
            catalogue = reread;
        } else if (op == "paper") {
            catalogue.SetPaperWidth(std::stoi(arg), std::stod(Split(tail, ' ').at(0)));
            catalogue.SetPaperHeight(std::stoi(arg), std::stod(Split(tail, ' ').at(1)));
        } else if (op == "remap") {
            catalogue.SetRemap(std::stoi(arg), std::stoi(tail));
        } else if (op == "click") {
            Item<QAbstractButton>(id())->click();
        } else if (op == "type") {
            // Typed key by key; keys without an ASCII name arrive as their text.
            QLineEdit* edit = Item<QLineEdit>(id());
            edit->clear();
            for (const QChar ch : QString::fromStdString(tail)) {
                if (ch.unicode() < 0x80)
                    QTest::keyClick(edit, ch.toLatin1());
                else
                    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            }
        } else if (op == "row") {
            Item<QListWidget>(kList)->setCurrentRow(std::stoi(arg));
        } else if (op == "choose") {
            QComboBox* combo = Item<QComboBox>(id());
            combo->setCurrentIndex(std::stoi(tail));
            emit combo->activated(std::stoi(tail));
        } else if (op == "arrow") {
            Item<QWidget>(id())->findChild<QToolButton*>(QString::fromStdString(tail))->click();
        } else if (op == "enable") {
            Item<QWidget>(id())->setEnabled(true);
        } else if (op == "names") {
            // The catalogue's names, the list's rows and the remap list's entries.
            std::vector<std::string> names;
            for (int i = 0; i < catalogue.GetCount(); ++i)
                names.push_back(catalogue.GetName(i));
            EXPECT_EQ(names, Split(rest, '|'));
            EXPECT_EQ(Rows(kList), Split(rest, '|'));
            EXPECT_EQ(Rows(kRemapList), Split(rest, '|'));
        } else if (op == "selected") {
            EXPECT_EQ(dialog->SelectedFormat(), std::stoi(arg));
        } else if (op == "text") {
            EXPECT_EQ(dialog->Form().Text(id()), tail);
        } else if (op == "on" || op == "off") {
            for (const std::string& name : Split(rest, ' '))
                EXPECT_EQ(dialog->Form().Enabled(ControlId(name)), op == "on") << name;
        } else if (op == "checked" || op == "unchecked") {
            EXPECT_EQ(dialog->Form().Checked(id()), op == "checked");
        } else if (op == "line" || op == "rect") {
            const std::vector<std::string> v = Split(tail, ' ');
            ASSERT_EQ(v.size(), 5u);
            const CutLine line{std::stod(v[0]), std::stod(v[1]), std::stod(v[2]), std::stod(v[3]),
                               v[4] == "solid"};
            EXPECT_TRUE(op == "line" ? catalogue.AddLine(std::stoi(arg), line)
                                     : catalogue.AddRect(std::stoi(arg), line));
        } else if (op == "cut" || op == "cutedge") {
            // A cut line dialog answered with values typed as a user would, or an edge
            // picked, then OK.
            std::vector<std::string> v = Split(tail, ' ');
            const bool dashed = v.back() == "dashed";
            v.pop_back();
            ClickAnswering(id(), [&](CCutLineDialog& line) {
                if (op == "cutedge") {
                    line.Form().ItemAs<QAbstractButton>(CCutLineDialog::kIdEdge)->click();
                    line.Form()
                        .ItemAs<QComboBox>(CCutLineDialog::kIdEdgeList)
                        ->setCurrentIndex(std::stoi(v[0]));
                }
                const int fields[] = {CCutLineDialog::kIdX1, CCutLineDialog::kIdY1, CCutLineDialog::kIdX2,
                                      CCutLineDialog::kIdY2};
                for (std::size_t n = 0; op == "cut" && n < v.size(); ++n) {
                    line.Form().ItemAs<QLineEdit>(fields[n])->selectAll();
                    QTest::keyClicks(line.Form().ItemAs<QLineEdit>(fields[n]), QString::fromStdString(v[n]));
                }
                if (line.Form().Checked(CCutLineDialog::kIdDashed) != dashed)
                    line.Form().ItemAs<QAbstractButton>(CCutLineDialog::kIdDashed)->click();
                line.Form().ItemAs<QAbstractButton>(kIdOk)->click();
            });
        } else if (op == "cutblank") {
            ClickAnswering(id(), [](CCutLineDialog& lineDialog) {
                QTest::keyClicks(lineDialog.Form().ItemAs<QLineEdit>(CCutLineDialog::kIdX2),
                                 QStringLiteral("0"));
                EXPECT_FALSE(lineDialog.Form().Enabled(kIdOk)) << "a rectangle without a width";
                static_cast<QDialog&>(lineDialog).reject();
            });
        } else if (op == "cutrow") {
            Item<QListWidget>(kCutLines)->setCurrentRow(std::stoi(arg));
        } else if (op == "full") {
            while (catalogue.GetLineCount(std::stoi(arg)) < kMaxCutLines)
                catalogue.AddLine(std::stoi(arg), {1, 1, 2, 2, true});
            MessageBoxes boxes;
            Item<QAbstractButton>(kAddLine)->click();
            EXPECT_EQ(boxes.texts, std::vector<std::string>{CCutLineDialog::kFullEnglish});
            EXPECT_EQ(catalogue.GetLineCount(std::stoi(arg)), kMaxCutLines);
        } else if (op == "linetexts") {
            // The cut line texts of a position, asked directly: none without a format.
            EXPECT_EQ(CutLineTexts(catalogue, std::stoi(arg), LengthUnit::Millimetres).size(),
                      std::stoul(tail));
        } else if (op == "lines") {
            EXPECT_EQ(Rows(kCutLines), Split(rest, '|'));
        } else if (op == "same") {
            CoverFormat copy = *catalogue.Get(std::stoi(arg));
            copy.name = catalogue.GetName(std::stoi(tail));
            EXPECT_EQ(copy, *catalogue.Get(std::stoi(tail))) << "the copy differs in more than the name";
        } else if (op == "snapshot" || op == "unchanged") {
            std::vector<CoverFormat> now;
            for (int i = 0; i < catalogue.GetCount(); ++i)
                now.push_back(*catalogue.Get(i));
            if (op == "snapshot")
                saved = now;
            EXPECT_EQ(now, saved);
        } else if (op == "escape") {
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
            EXPECT_EQ(dialog->result(), QDialog::Rejected);
        } else if (op == "cat") {
            const std::vector<std::string> what = Split(tail, ' ');
            ASSERT_EQ(what.size(), 2u);
            const int i = std::stoi(arg);
            if (what[0] == "count")
                EXPECT_EQ(catalogue.GetCount(), std::stoi(what[1]));
            else if (what[0] == "type")
                EXPECT_EQ(catalogue.GetType(i), what[1]);
            else if (what[0] == "remapName")
                EXPECT_EQ(catalogue.GetName(catalogue.GetRemap(i)), what[1]);
            else
                EXPECT_NEAR(Field(i, what[0]), std::stod(what[1]), 1e-9) << what[0];
        } else {
            ADD_FAILURE() << "no step called " << op;
        }
    }
};

TEST_F(EditorScriptTest, RunsTheScriptsOfUserSteps)
{
    const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    int scripts = 0;
    std::string title;
    for (std::string line : ReadDataLines(SLEEVIT_SOURCE_DIR "/tests/gui/data/format-edit.txt")) {
        line = line.substr(0, line.find('#'));
        if (line.rfind("== ", 0) == 0) {
            title = line.substr(3);
            dialog.reset();
            catalogue.Clear();
            path.clear();
            ++scripts;
            continue;
        }
        for (const std::string& step : Split(line, ';')) {
            SCOPED_TRACE(title + ": " + step);
            Step(step.substr(0, step.find_last_not_of(' ') + 1));
        }
    }
    if (oldXdg.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldXdg);
    EXPECT_GE(scripts, 15);
}

} // namespace
