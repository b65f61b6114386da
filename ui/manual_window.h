#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace tunvale::ui {

// The manual page of the dialog (tunvale(1)) as plain text, built into the program, so that
// Help > Manual works wherever the program runs, installed or not.
QString manualText();

// "Tunvale Manual": the manual in a window of its own, beside the main window.
class ManualWindow : public QDialog {
    Q_OBJECT
public:
    explicit ManualWindow(QWidget *parent = nullptr);
    QPlainTextEdit *view() const { return m_view; }

private:
    QPlainTextEdit *m_view = nullptr;
};

} // namespace tunvale::ui
