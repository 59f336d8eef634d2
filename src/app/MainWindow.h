#pragma once

#include <QMainWindow>

#include <memory>

class QPushButton;
namespace Ui {
class LocalizableMainWindow;
}

// The main window. Its download button becomes a delete button while the Alt
// key is held or while the current program slot holds a program.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's controls, for the controller that wires them.
    Ui::LocalizableMainWindow& controls() { return *ui; }

    // Restores a frame kept by saveGeometry on the screen the window opens
    // on: one saved on a larger screen is made to fit this one.
    void restoreFrame(const QByteArray& saved);

    // True when the download button deletes the current program instead.
    bool isDelete() const;
    void setSlotEmpty(bool empty);

signals:
    // The user is closing the window.
    void windowWillClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void flagsChanged(Qt::KeyboardModifiers modifiers);
    // The slot buttons carry their slot number, 1 to 5, as their id.
    void numberSlots();
    void showPowerValues();
    void alignTestControls();
    void updateButtonTitle();

    std::unique_ptr<Ui::LocalizableMainWindow> ui;
    QPushButton* theButton;
    bool altPressed = false;
    bool slotFull = false;
};
