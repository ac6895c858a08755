#pragma once

#include <QWidget>

#include <memory>

class QLineEdit;

namespace Ui {
class Form2;
}

// The program's only window. Its controls, with their designer names, are
// defined in form2.ui; this class connects their events to the handlers.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(QWidget *parent = nullptr);
    ~Form2() override;

private:
    // Event handlers, named after their control and event.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Text3_Change();
    void Text5_Change();
    void Text6_Change();

    void showOverLengthMessage();
    void keepUpperCaseWithCaretAtEnd(QLineEdit *box);
    static void writeText(QLineEdit *box, const QString &text);

    std::unique_ptr<Ui::Form2> ui;
};
