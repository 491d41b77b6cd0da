// The property dialog driven through its real widgets.
#include "corvane/framework/chart/qvtGanttRow.h"
#include "corvane/framework/chart/qvtGanttTable.h"
#include "corvane/framework/chart/qvtTaskBar.h"
#include "corvane/framework/chart/qvtTextHalo.h"
#include "corvane/framework/interaction/qvtDataSource.h"
#include "corvane/framework/objects/qvtProperties.h"
#include "corvane/widgets/qvtObjectEditorDialog.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

QPushButton* shownButton(TQVTObjectEditorForm& form)
{
    for (QPushButton* button : form.pbValues->findChildren<QPushButton*>())
        if (button->isVisible())
            return button;
    return nullptr;
}

// An object with as many integer properties as asked for, and a flag the dialog does not show.
class Values : public TQVTGanttObject {
public:
    explicit Values(int count) : values(static_cast<std::size_t>(count)) {}

    void GetPublishedProperties(TQVTPublishedProperties& props) override
    {
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string name = (i < 10 ? "Value0" : "Value") + std::to_string(i);
            props.add(
                name, [this, i] { return values[i]; }, [this, i](int v) { values[i] = v; });
        }
        props.add(
            "Flag", [this] { return flag; }, [this](bool v) { flag = v; });
    }

    std::vector<int> values;
    bool flag = false;
};

// Replaces the modal run of every dialog by the step of its nesting depth; each step shows the
// form, acts on it and answers the form's result.
class DialogDriver {
public:
    using Step = std::function<void(TQVTObjectEditorForm& form)>;

    explicit DialogDriver(std::vector<Step> steps) : steps(std::move(steps))
    {
        TQVTObjectEditorForm::ModalRunner = [this](TQVTObjectEditorForm& form) {
            const std::size_t depth = running++;
            form.show();
            form.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
            if (depth < this->steps.size())
                this->steps[depth](form);
            --running;
            ++runs;
            form.hide();
            return form.result();
        };
    }
    ~DialogDriver() { TQVTObjectEditorForm::ModalRunner = nullptr; }

    std::vector<Step> steps;
    std::size_t running = 0;
    int runs = 0;
};

// The row of a property: the dialog lists the shown properties sorted by name, case aside.
int rowOf(TQVTGanttObject& obj, const std::string& name)
{
    const TQVTPublishedProperties props = PublishedPropertiesOf(obj);
    std::vector<std::string> names;
    for (const TQVTPropertyInfo& info : props.items())
        if (info.Kind != TQVTPropertyKind::Other)
            names.push_back(info.Name);
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    std::stable_sort(names.begin(), names.end(), [&](const auto& a, const auto& b) { return lower(a) < lower(b); });
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

// The control shown over the value column, after a press on the row's name.
QLineEdit* selectRow(TQVTObjectEditorForm& form, int row)
{
    QTest::mouseClick(form.pbNames, Qt::LeftButton, {}, QPoint(10, 16 * row + 8));
    for (QLineEdit* edit : form.pbValues->findChildren<QLineEdit*>())
        if (edit->isVisible() && !edit->isReadOnly() && edit->parentWidget() == form.pbValues)
            return edit;
    for (QLineEdit* edit : form.pbValues->findChildren<QLineEdit*>())
        if (edit->isVisible())
            return edit;
    return nullptr;
}

void type(TQVTObjectEditorForm& form, TQVTGanttObject& obj, const std::string& name, const std::string& text)
{
    QLineEdit* edit = selectRow(form, rowOf(obj, name));
    ASSERT_NE(edit, nullptr) << name;
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(text));
}

class DocumentDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        source.setStorage("file://" + std::string(CORVANE_SOURCE_DIR) + "/examples/every-type.ini");
        for (const auto& row : source.GetTable()->FRows)
            for (const auto& b : row->FBarList)
                if (b->getUID() == "Design")
                    bar = std::dynamic_pointer_cast<TQVTTaskBar>(b);
        ASSERT_NE(bar, nullptr);
        original = saved();
    }

    std::string saved() { return save(source); }

    Capture capture;
    TQVTDataSource source;
    std::shared_ptr<TQVTTaskBar> bar;
    std::string original;
    TQVTGanttObjectEditor editor;
    DocumentSaver save;
};

} // namespace

TEST(ObjectEditorDialog, TheFormIsLaidOutForItsPropertiesAndPaintsThem)
{
    for (const auto& [count, height] : {std::pair{3, 100}, std::pair{30, 400}, std::pair{12, 192}}) {
        Values values(count);
        DialogDriver driver({[&](TQVTObjectEditorForm& form) {
            EXPECT_EQ(form.width(), 308);
            EXPECT_EQ(form.height(), height) << count << " properties";
            EXPECT_EQ(form.pbValues->height(), 16 * count) << "the flag has no row";
            EXPECT_EQ(form.pbNames->width(), 105);
            EXPECT_EQ(form.Panel1->height(), 38);
            EXPECT_EQ(form.sbObjectEditor->verticalScrollBar()->isVisible(), 16 * count > height - 38)
                << "the rows scroll inside the form";
            for (QPushButton* button : {form.btnOK, form.btnCancel}) {
                EXPECT_EQ(button->size(), QSize(75, 25));
                EXPECT_EQ(button->y(), 8);
            }
            EXPECT_TRUE(form.btnOK->isDefault());
            EXPECT_EQ(form.btnOK->x(), form.Panel1->width() / 2 - 75 - 15);
            EXPECT_EQ(form.btnCancel->x(), form.Panel1->width() / 2 + 15);
            form.resize(401, form.height());
            QApplication::processEvents();
            EXPECT_EQ(form.btnCancel->x(), 401 / 2 + 15) << "the buttons stay centred";
            QTest::mouseClick(form.btnCancel, Qt::LeftButton);
        }});
        EXPECT_EQ(TQVTGanttObjectEditor().edit(&values), nullptr);
        EXPECT_EQ(driver.runs, 1);
    }

    // Names, values and grid are painted; only the selected row's editor is shown.
    Values values(5);
    for (int i = 0; i < 5; ++i)
        values.values[static_cast<std::size_t>(i)] = 1000 + i;
    DialogDriver driver({[&](TQVTObjectEditorForm& form) {
        const QImage names = form.pbNames->grab().toImage();
        const QImage valuesImage = form.pbValues->grab().toImage();
        const auto countIn = [](const QImage& image, int top, int bottom, auto test) {
            int n = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += test(image.pixelColor(x, y)) ? 1 : 0;
            return n;
        };
        const QColor gridColor(0x80, 0x80, 0x80);
        // Row 0's line in the value box lies under the shown editor.
        for (int row = 0; row < 5; ++row)
            for (const QImage* image : {&names, &valuesImage}) {
                const int line = 16 * row + 15;
                const int grid = countIn(*image, line, line + 1, [&](QColor c) { return c == gridColor; });
                if (image == &valuesImage && row == 0)
                    continue;
                EXPECT_GT(grid, image->width() / 4) << "a dotted line under row " << row;
                EXPECT_LT(grid, image->width() / 2) << "dotted, not solid";
            }
        const QColor face = form.palette().color(QPalette::Window);
        // Row 1's name and value are written in its row (row 0's value is under its editor).
        const auto inked = [&](QColor c) { return c.lightness() < face.lightness() - 60; };
        EXPECT_GT(countIn(names, 17, 31, inked), 10);
        EXPECT_GT(countIn(valuesImage, 17, 31, inked), 10);
        const QColor highlight = form.palette().color(QPalette::Highlight);
        EXPECT_GT(countIn(names, 0, 15, [&](QColor c) { return c == highlight; }), 50) << "the first row is selected";
        EXPECT_EQ(countIn(names, 16, 31, [&](QColor c) { return c == highlight; }), 0);
        EXPECT_GT(countIn(names, 64, 79, [&](QColor c) { return c == face; }), 50);

        QLineEdit* third = selectRow(form, 2);
        ASSERT_NE(third, nullptr);
        EXPECT_EQ(third->text(), "1002");
        EXPECT_EQ(third->geometry(), QRect(0, 32, form.pbValues->width(), 17));
        EXPECT_TRUE(third->hasFocus());
        int shown = 0;
        for (QLineEdit* edit : form.pbValues->findChildren<QLineEdit*>())
            shown += edit->isVisible() ? 1 : 0;
        EXPECT_EQ(shown, 1) << "only the selected row's editor is shown";
        QTest::mouseClick(form.pbValues, Qt::LeftButton, {}, QPoint(5, 16 * 4 + 3));
        EXPECT_FALSE(third->isVisible());
        EXPECT_EQ(selectRow(form, 4)->text(), "1004");
        QTest::mouseClick(form.btnCancel, Qt::LeftButton);
    }});
    EXPECT_EQ(TQVTGanttObjectEditor().edit(&values), nullptr);
}

TEST(ObjectEditorDialog, ASetterThatRefusesHalfWayLeavesTheObjectAsItWas)
{
    // Values are checked before they are stored; a setter may still refuse on its own.
    class Picky : public Values {
    public:
        Picky() : Values(1) {}
        void GetPublishedProperties(TQVTPublishedProperties& props) override
        {
            Values::GetPublishedProperties(props);
            props.add(
                "Z", [this] { return z; },
                [this](int v) {
                    if (v == 13)
                        throw EConvertError("13 is refused");
                    z = v;
                });
        }
        int z = 0;
    } picky;
    Capture capture;
    DialogDriver driver({[&](TQVTObjectEditorForm& form) {
        type(form, picky, "Value00", "5");
        type(form, picky, "Z", "13");
        QTest::mouseClick(form.btnOK, Qt::LeftButton);
    }});
    EXPECT_EQ(TQVTGanttObjectEditor().edit(&picky), nullptr);
    EXPECT_EQ(picky.values[0], 0) << "the value stored before the refusal is taken back";
    EXPECT_EQ(capture.messages, std::vector<std::string>{"13 is refused"});
}

TEST_F(DocumentDialog, CancelAndAnUntouchedDialogChangeNothingAndTypedValuesAreOneUndoStep)
{
    DialogDriver cancel({[&](TQVTObjectEditorForm& form) {
        type(form, *bar, "Progress", "77");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }});
    EXPECT_EQ(editor.edit(bar.get()), nullptr);
    EXPECT_EQ(bar->FProgress, 0);
    DialogDriver untouched({[&](TQVTObjectEditorForm& form) { QTest::mouseClick(form.btnOK, Qt::LeftButton); }});
    EXPECT_EQ(editor.edit(bar.get()), nullptr) << "no operation for an edit that changes nothing";
    EXPECT_EQ(saved(), original);

    const TDateTime start = bar->FstartDate;
    DialogDriver driver({[&](TQVTObjectEditorForm& form) {
        type(form, *bar, "Progress", "55");
        type(form, *bar, "StartDate", FloatToText(start + 2));
        EXPECT_EQ(bar->FProgress, 0) << "nothing is stored before OK";
        QTest::mouseClick(form.btnOK, Qt::LeftButton);
    }});
    const auto op = editor.edit(bar.get());
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(saved(), original) << "the history makes the change";
    ASSERT_TRUE(source.doOperation(op));
    EXPECT_EQ(bar->FProgress, 55);
    EXPECT_EQ(bar->FstartDate, start + 2);
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(saved(), original);
    ASSERT_TRUE(source.GetUndoRedoStack().redo());
    EXPECT_EQ(bar->FProgress, 55);
}

TEST_F(DocumentDialog, ABadValueKeepsTheDialogOpenAndNothingIsStored)
{
    for (const auto& [property, bad, message] : {std::tuple{"Progress", "12x", "Progress: Not a valid integer"},
                                                 std::tuple{"Progress", "99999999999", "Progress: Not a valid integer"},
                                                 std::tuple{"EndDate", "1.2.3", "EndDate: Not a valid float"}}) {
        capture.messages.clear();
        DialogDriver driver({[&](TQVTObjectEditorForm& form) {
            type(form, *bar, "bufferTimeLeft", "0.5"); // a good value before the bad one
            type(form, *bar, property, bad);
            selectRow(form, rowOf(*bar, "StartDate")); // another row is selected when OK is pressed
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_TRUE(form.isVisible()) << "OK is refused";
            EXPECT_EQ(form.result(), QDialog::Rejected);
            QLineEdit* shown = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->text().toStdString(), bad) << "the bad value's row is selected";
            EXPECT_EQ(bar->FBufferTimeLeft, 0) << "the good value is not stored either";
            QTest::mouseClick(form.btnCancel, Qt::LeftButton);
        }});
        EXPECT_EQ(editor.edit(bar.get()), nullptr);
        EXPECT_EQ(capture.messages, std::vector<std::string>{message});
        EXPECT_EQ(saved(), original);
    }

    // Put right, the same dialog stores both values.
    DialogDriver driver({[&](TQVTObjectEditorForm& form) {
        type(form, *bar, "bufferTimeLeft", "0.5");
        type(form, *bar, "Progress", "abc");
        QTest::mouseClick(form.btnOK, Qt::LeftButton);
        type(form, *bar, "Progress", "30");
        QTest::mouseClick(form.btnOK, Qt::LeftButton);
    }});
    const auto op = editor.edit(bar.get());
    ASSERT_NE(op, nullptr);
    ASSERT_TRUE(source.doOperation(op));
    EXPECT_EQ(bar->FProgress, 30);
    EXPECT_EQ(bar->FBufferTimeLeft, 0.5);
}

TEST_F(DocumentDialog, ANestedEditIsUndoneTogetherWithTheOuterOne)
{
    TQVTTextHalo& halo = *bar->FTextHalo;
    DialogDriver driver({[&](TQVTObjectEditorForm& form) {
                             selectRow(form, rowOf(*bar, "textHalo"));
                             QPushButton* dots = shownButton(form);
                             ASSERT_NE(dots, nullptr);
                             ASSERT_TRUE(dots->isVisible());
                             EXPECT_EQ(dots->text(), "...");
                             EXPECT_EQ(dots->width(), 15);
                             QTest::mouseClick(dots, Qt::LeftButton);
                             EXPECT_EQ(halo.TextTop, "") << "the nested edit waits for the outer OK";
                             type(form, *bar, "Progress", "20");
                             QTest::mouseClick(form.btnOK, Qt::LeftButton);
                         },
                         [&](TQVTObjectEditorForm& form) {
                             type(form, halo, "TextTop", "Above");
                             QTest::mouseClick(form.btnOK, Qt::LeftButton);
                         }});
    const auto op = editor.edit(bar.get());
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(driver.runs, 2);
    ASSERT_TRUE(source.doOperation(op));
    EXPECT_EQ(halo.TextTop, "Above");
    EXPECT_EQ(bar->FProgress, 20);
    const std::string edited = saved();
    ASSERT_TRUE(source.GetUndoRedoStack().undo());
    EXPECT_EQ(halo.TextTop, "");
    EXPECT_EQ(bar->FProgress, 0);
    EXPECT_EQ(saved(), original);
    ASSERT_TRUE(source.GetUndoRedoStack().redo());
    EXPECT_EQ(saved(), edited);

    // A nested edit whose outer dialog is cancelled leaves nothing behind.
    DialogDriver cancelled({[&](TQVTObjectEditorForm& form) {
                                selectRow(form, rowOf(*bar, "textHalo"));
                                QTest::mouseClick(shownButton(form), Qt::LeftButton);
                                QTest::mouseClick(form.btnCancel, Qt::LeftButton);
                            },
                            [&](TQVTObjectEditorForm& form) {
                                type(form, halo, "TextBottom", "Below");
                                QTest::mouseClick(form.btnOK, Qt::LeftButton);
                            }});
    EXPECT_EQ(editor.edit(bar.get()), nullptr);
    EXPECT_EQ(halo.TextBottom, "");
}

TEST_F(DocumentDialog, TheRealModalLoopEndsWithTheButtons)
{
    // A watchdog closes every dialog, so that a broken run fails instead of hanging.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        while (QWidget* modal = QApplication::activeModalWidget())
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                break;
        ADD_FAILURE() << "the dialog had to be closed by the watchdog";
    });
    watchdog.start(10000);
    QTimer::singleShot(0, [&] {
        auto* form = dynamic_cast<TQVTObjectEditorForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        type(*form, *bar, "Progress", "65");
        QTest::mouseClick(form->btnOK, Qt::LeftButton);
    });
    const auto op = editor.edit(bar.get());
    watchdog.stop();
    ASSERT_NE(op, nullptr);
    ASSERT_TRUE(source.doOperation(op));
    EXPECT_EQ(bar->FProgress, 65);
}
