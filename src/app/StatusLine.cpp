#include "app/StatusLine.h"

#include "app/LocalizedUi.h"

#include <QCoreApplication>
#include <QStatusBar>

namespace {

QLabel* addLabel(QStatusBar& bar, const char* name, int stretch)
{
    auto* label = new QLabel(&bar);
    label->setObjectName(name);
    // Room between the parts, which have no frames of their own.
    label->setContentsMargins(4, 0, 8, 0);
    bar.addWidget(label, stretch);
    return label;
}

} // namespace

StatusLine::StatusLine(QStatusBar& bar)
    : port(addLabel(bar, "statusPort", 0))
    , answer(addLabel(bar, "statusBrick", 1))
    , program(addLabel(bar, "statusProgram", 0))
{
    showPort(QString());
}

void StatusLine::showPort(const QString& name)
{
    port->setText(name.isEmpty() ? localizedUi(QT_TRANSLATE_NOOP("Localizable", "No tower"))
                                 : localizedUi(QT_TRANSLATE_NOOP("Localizable", "Tower: %1")).arg(name));
}

void StatusLine::showBrick(Brick state)
{
    // Switched off, the brick answers nothing until it is switched on again.
    if (state == Brick::NotAnswering && brickState == Brick::SwitchedOff)
        return;
    brickState = state;
    const char* key = "";
    switch (state) {
    case Brick::Unknown: break;
    case Brick::Answering: key = QT_TRANSLATE_NOOP("Localizable", "Brick answering"); break;
    case Brick::NotAnswering: key = QT_TRANSLATE_NOOP("Localizable", "Brick not answering"); break;
    case Brick::NoFirmware: key = QT_TRANSLATE_NOOP("Localizable", "No firmware on the brick"); break;
    case Brick::SwitchedOff: key = QT_TRANSLATE_NOOP("Localizable", "Brick switched off by Power Off"); break;
    case Brick::TowerUnusable: key = QT_TRANSLATE_NOOP("Localizable", "IR tower not usable"); break;
    }
    answer->setText(*key ? localizedUi(key) : QString());
}

void StatusLine::showProgram(int slot, bool running)
{
    program->setText((running ? localizedUi(QT_TRANSLATE_NOOP("Localizable", "Program slot %1, running"))
                              : localizedUi(QT_TRANSLATE_NOOP("Localizable", "Program slot %1")))
                         .arg(slot));
}
