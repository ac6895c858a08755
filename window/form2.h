#pragma once

#include <QWidget>

#include <memory>

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
    void Command2_Click();

    std::unique_ptr<Ui::Form2> ui;
};
