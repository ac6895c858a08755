#include "window/form2.h"

#include "ui_form2.h"

#include <QFont>
#include <QIcon>

namespace {

// A form file stores whole point sizes only, so the window's font is set
// here. The style hint picks a sans-serif face of the same size where the
// named face is missing.
QFont windowFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int sizePixels : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icons/tervalo-%1.png").arg(sizePixels),
                     QSize(sizePixels, sizePixels));
    return icon;
}

} // namespace

Form2::Form2(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::Form2>())
{
    ui->setupUi(this);
    // Label5 asks only for bold in the form, so it takes the rest from here.
    setFont(windowFont());
    setWindowIcon(programIcon());
    // A fixed-size window offers no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    ui->Picture1->setFocus();

    connect(ui->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

Form2::~Form2() = default;

void Form2::Command2_Click()
{
    close();
}
