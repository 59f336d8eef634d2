#pragma once

#include "app/Panel.h"
#include "rcx/NqcCompiler.h"

namespace Ui {
class LocalizableCompileErrorPanel;
}

// The sheet of a source that did not compile: what went wrong, and each of
// the compiler's errors with its file, line and message. Copy puts the whole
// text on the clipboard, as the compiler's own output reads, for a bug report
// or an editor's jump list.
class CompileErrorPanel : public Panel<Ui::LocalizableCompileErrorPanel> {
    Q_OBJECT
public:
    explicit CompileErrorPanel(QWidget* parent);
    ~CompileErrorPanel() override;

    // Shows `failure`; the list is hidden when it names no errors (a
    // compiler missing or stopped).
    void showFailure(const Compilation& failure);
    const QString& text() const { return fullText; }

public slots:
    void copyButton();

private:
    QString fullText;
};
