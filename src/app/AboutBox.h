#pragma once

class QMessageBox;
class QWidget;

// Help › About Infrabrick: the version, the licence and where the
// documentation is, in a sheet on `window` that deletes itself when closed.
QMessageBox* openAboutBox(QWidget* window);
