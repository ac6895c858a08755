#pragma once

#include <QWidget>

#include <memory>

class QLineEdit;

struct ShownResults;

namespace Ui {
class Form2;
}

// The program's only window. Its controls are defined in form2.ui under
// their designer names, and each event handler below is named after its
// control and event. What the user sees of each control:
//
//   Picture1        the compass photograph along the left edge
//   Label1, Text3   "Locatore 1" and its box: the user's own locator, kept in
//                   upper case (Text3_Change)
//   Label2, Text5   "Locatore 2" and its box: the other station's locator;
//                   its sixth character starts the calculation (Text5_Change)
//   Label3, Text6   "Km" and the distance box; each change of its text adds a
//                   recent-searches row (Text6_Change)
//   Label4, Text1   "Puntamento" and the beam heading box, whole degrees
//   Command1        "Calcola": the calculation (Command1_Click)
//   Command2        "Esci": closes the window and ends the program
//                   (Command2_Click)
//   picCanvase      the compass dial; its child linAngleLine is the red
//                   pointer
//   Command3        hidden; the calculation presses it to turn the pointer
//                   to the heading in Text1 (Command3_Click)
//   Label5          "Ultime ricerche", hidden until the first row is added
//   Label6..Label9  the four recent-searches rows, filled as a ring
//   Text7, Text2    hidden: latitude and longitude (positive west) of
//                   "Locatore 1"
//   Text4, Text8    hidden: the same for "Locatore 2"
//
// Every text box keeps at most 32,767 characters (the toolkit's default), so
// a huge paste is cut instead of filling the memory. The form places the
// controls in pixels; the pointer's end points are in twips (see twips.h).
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(QWidget *parent = nullptr);
    ~Form2() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Event handlers, named after their control and event.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Text3_Change();
    void Text5_Change();
    void Text6_Change();

    void showOverLengthMessage();
    void clearLocatorsAndMarkError(const ShownResults &shown);
    void showCoordinates(const ShownResults &shown);
    void showResults(const ShownResults &shown);
    void keepUpperCaseWithCaretAtEnd(QLineEdit *box);
    static void writeText(QLineEdit *box, const QString &text);

    std::unique_ptr<Ui::Form2> ui;
    bool opened = false;
};
