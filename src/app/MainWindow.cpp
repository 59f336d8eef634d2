#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

#include <algorithm>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::LocalizableMainWindow>())
{
    ui->setupUi(this);
    theButton = ui->theButton;
    numberSlots();
    showPowerValues();
    alignTestControls();
    // Key events go to the focused control, not to the window: watch them all
    // on their way and keep those meant for this window.
    qApp->installEventFilter(this);
    updateButtonTitle();
    connect(ui->actionAbout, &QAction::triggered, this, [this] { openAboutBox(this); });
}

void MainWindow::restoreFrame(const QByteArray& saved)
{
    // Nothing saved: the window manager places the window.
    if (!restoreGeometry(saved) || isMaximized() || isFullScreen())
        return;
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    // The window manager's title bar sits above the window's own frame.
    const QRect available = (screen ? screen : this->screen())
                                ->availableGeometry()
                                .adjusted(0, style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    QRect frame = geometry();
    frame.setSize(frame.size().boundedTo(available.size()).expandedTo(minimumSizeHint()));
    // Moved in where it sticks out; a window larger than the screen keeps its
    // top left corner on it.
    const QPoint farthest(std::max(available.left(), available.right() - frame.width() + 1),
                          std::max(available.top(), available.bottom() - frame.height() + 1));
    frame.moveTopLeft(QPoint(std::clamp(frame.left(), available.left(), farthest.x()),
                             std::clamp(frame.top(), available.top(), farthest.y())));
    setGeometry(frame);
}

MainWindow::~MainWindow() = default;

bool MainWindow::isDelete() const
{
    return altPressed || slotFull;
}

void MainWindow::setSlotEmpty(bool empty)
{
    slotFull = !empty;
    updateButtonTitle();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            Qt::KeyboardModifiers modifiers = key->modifiers();
            // Whether the event of the Alt key itself carries the Alt bit
            // differs between platforms; the key says what happened.
            if (key->key() == Qt::Key_Alt)
                modifiers.setFlag(Qt::AltModifier, event->type() == QEvent::KeyPress);
            flagsChanged(modifiers);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event)
{
    // Alt is often released in another window (after Alt+Tab): take the
    // keyboard's state afresh whenever this window becomes active again.
    if (event->type() == QEvent::ActivationChange)
        flagsChanged(isActiveWindow() ? QGuiApplication::queryKeyboardModifiers() : Qt::NoModifier);
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    emit windowWillClose();
    QMainWindow::closeEvent(event);
}

void MainWindow::flagsChanged(Qt::KeyboardModifiers modifiers)
{
    bool pressed = modifiers.testFlag(Qt::AltModifier);
    if (pressed == altPressed)
        return;
    altPressed = pressed;
    updateButtonTitle();
}

void MainWindow::numberSlots()
{
    QAbstractButton* const slotButtons[] = {ui->slot1Button, ui->slot2Button, ui->slot3Button, ui->slot4Button,
                                      ui->slot5Button};
    for (int slot = 1; QAbstractButton* button : slotButtons)
        ui->progNumButton->setId(button, slot++);
}

void MainWindow::showPowerValues()
{
    // The power sliders send their value when released; the figure beside
    // each follows the knob while it is dragged.
    const std::pair<QSlider*, QLabel*> powers[] = {{ui->outputAPowerButton, ui->outputAPowerValue},
                                                   {ui->outputBPowerButton, ui->outputBPowerValue},
                                                   {ui->outputCPowerButton, ui->outputCPowerValue}};
    for (auto [slider, value] : powers) {
        auto show = [value](int power) { value->setNum(power); };
        connect(slider, &QSlider::valueChanged, value, show);
        connect(slider, &QSlider::sliderMoved, value, show);
    }
}

void MainWindow::alignTestControls()
{
    // The fields of the outputs and of the sensors start at one edge on the
    // "Test" tab, however long their labels are in the language shown.
    QGridLayout* const grids[] = {ui->outputAControlsLayout, ui->outputBControlsLayout, ui->outputCControlsLayout,
                                  ui->sensor1ControlsLayout, ui->sensor2ControlsLayout, ui->sensor3ControlsLayout};
    int widest = 0;
    for (const QGridLayout* grid : grids)
        for (int row = 0; row < grid->rowCount(); ++row)
            if (QLayoutItem* item = grid->itemAtPosition(row, 0); item && qobject_cast<QLabel*>(item->widget()))
                widest = std::max(widest, item->sizeHint().width());
    for (QGridLayout* grid : grids)
        grid->setColumnMinimumWidth(0, widest);
}

void MainWindow::updateButtonTitle()
{
    theButton->setText(isDelete() ? QCoreApplication::translate("Localizable", "Delete")
                                  : QCoreApplication::translate("Localizable", "Download..."));
}
