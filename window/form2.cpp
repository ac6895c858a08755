#include "window/form2.h"

#include "ui_form2.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include <array>
#include <optional>

#include "window/dial_canvas.h"
#include "window/elided_caption.h"
#include "window/line_shape.h"
#include "window/locator_text.h"
#include "window/program_icon.h"
#include "window/recent_searches.h"
#include "window/shown_results.h"

namespace {

// What every box shows before anything has been entered.
const QString kPlaceholder = QStringLiteral("...");

// A form file stores whole point sizes only, so the window's font is set
// here. Where the named face is missing, a sans-serif face of the same size
// stands in. fontconfig follows the style hint; Windows turns the hint into
// Arial alone and, where that is missing too (as under Wine), falls back to
// a serif face. So on Windows the window names its sans-serif stand-ins
// itself: what Windows draws MS Sans Serif with, the faces of every Windows
// since 2000, then the free faces that Wine finds on the system.
QFont windowFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
#ifdef Q_OS_WIN
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
#endif
    font.setPointSizeF(8.25);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

Form2::Form2(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::Form2>())
{
    ui->setupUi(this);
    // Label5 asks only for bold in the form, so it takes the rest from here.
    setFont(windowFont());
    setProgramIcon(this);
    // A fixed-size window offers no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui->Picture1->setFocus();

    connect(ui->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(ui->Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(ui->Text3, &QLineEdit::textChanged, this, &Form2::Text3_Change);
    connect(ui->Text5, &QLineEdit::textChanged, this, &Form2::Text5_Change);
    connect(ui->Text6, &QLineEdit::textChanged, this, &Form2::Text6_Change);

    // The rows copy whatever was typed or pasted, of any length and content.
    for (QLabel *row : {ui->Label6, ui->Label7, ui->Label8, ui->Label9})
        showCaptionElided(row);
}

Form2::~Form2() = default;

// The window opens on the picture that starts the tab order, which the
// constructor gave the focus. A window system that activates the window while
// it is still being created (a browser's does) finds the picture not yet
// shown and hands the focus one step on; once the controls are shown, the
// picture takes it back.
void Form2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!opened && !event->spontaneous()) {
        opened = true;
        ui->Picture1->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void Form2::Command2_Click()
{
    close();
}

// ---- Calculation ---------------------------------------------------------

void Form2::Command1_Click()
{
    // Nothing entered in the second box yet.
    if (ui->Text5->text() == kPlaceholder)
        return;

    const ShownResults shown = shownResults(ui->Text3->text(), ui->Text5->text(), QLocale());
    if (shown.firstTooLong)
        showOverLengthMessage();
    if (shown.inputInvalid)
        clearLocatorsAndMarkError(shown);
    showCoordinates(shown);
    showResults(shown);

    ui->Command3->click();
}

// Every write that changes a box runs that box's change handler at once, so
// the order of the writes below is part of what the user sees: the distance
// box's handler copies the second locator, the distance and the azimuth as
// they stand into a new recent-searches row.

// Bad input: the locator boxes are emptied first, so that the row added for
// the error mark carries an empty second locator.
void Form2::clearLocatorsAndMarkError(const ShownResults &shown)
{
    writeText(ui->Text3, QString());
    writeText(ui->Text5, QString());
    writeText(ui->Text6, shown.distance);
}

// The hidden coordinate boxes, shown in the user's locale, with longitudes
// positive west.
void Form2::showCoordinates(const ShownResults &shown)
{
    writeText(ui->Text7, shown.firstLatitude);
    writeText(ui->Text2, shown.firstLongitude);
    writeText(ui->Text4, shown.secondLatitude);
    writeText(ui->Text8, shown.secondLongitude);
}

void Form2::showResults(const ShownResults &shown)
{
    // On bad input the distance box holds the error mark already, and its row
    // is added. Otherwise the azimuth goes in first, so that the new row
    // carries it as calculated.
    if (!shown.inputInvalid) {
        writeText(ui->Text1, shown.calculatedAzimuth);
        writeText(ui->Text6, shown.distance);
    }
    // After the row is added: the same station's "0", or the error mark.
    writeText(ui->Text1, shown.azimuth);
}

void Form2::showOverLengthMessage()
{
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), QString(), QMessageBox::Ok, this);
    box.exec();
}

// ---- Pointer -------------------------------------------------------------

void Form2::Command3_Click()
{
    const std::optional<PointerTip> tip = pointerTipForAzimuthText(ui->Text1->text());
    // An azimuth too large for the pointer's 16-bit angle leaves it where it is.
    if (!tip)
        return;
    LineShape *line = ui->picCanvase->line();
    line->setX2(tip->x);
    line->setY2(tip->y);
}

// ---- Recent searches -----------------------------------------------------

void Form2::Text6_Change()
{
    const std::array<QLabel *, kRecentRows> rowLabels{ui->Label6, ui->Label7, ui->Label8, ui->Label9};
    RecentSearches list;
    list.headingShown = !ui->Label5->isHidden();
    for (int i = 0; i < kRecentRows; ++i) {
        list.rows[i] = rowLabels[i]->text();
        list.rowShown[i] = !rowLabels[i]->isHidden();
    }

    addRecentSearch(list, recentSearchRow(ui->Text5->text(), ui->Text6->text(), ui->Text1->text()));

    // Labels are only ever shown, never hidden again.
    if (list.headingShown)
        ui->Label5->show();
    for (int i = 0; i < kRecentRows; ++i) {
        if (rowLabels[i]->text() != list.rows[i])
            rowLabels[i]->setText(list.rows[i]);
        if (list.rowShown[i])
            rowLabels[i]->show();
    }
}

// ---- Locator boxes -------------------------------------------------------

void Form2::Text3_Change()
{
    keepUpperCaseWithCaretAtEnd(ui->Text3);
}

void Form2::Text5_Change()
{
    keepUpperCaseWithCaretAtEnd(ui->Text5);
    // A full six-character second locator is enough to calculate.
    if (hasLocatorLength(ui->Text5->text()))
        ui->Command1->click();
}

// The upper-casing write is itself a change when it alters the text; the
// handler then runs once more, nested, finds nothing to alter and stops.
void Form2::keepUpperCaseWithCaretAtEnd(QLineEdit *box)
{
    writeText(box, locatorUpperCase(box->text()));
    box->setCursorPosition(box->text().size());
}

// Writing a box's own text again is no change: nothing runs, and the caret
// and selection stay as they are.
void Form2::writeText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}
