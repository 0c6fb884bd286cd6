#pragma once
// The framework's default about box, bound to the application's standard
// "about" command: the icon, the program version and an ownership line.

#include <QDialog>

class QLabel;
class QPixmap;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* owner = nullptr);
    ~CAboutDlg() override;

    QLabel* VersionText() const { return m_pVersion; }
    QLabel* OwnershipText() const { return m_pOwnership; }

private:
    QLabel* m_pVersion = nullptr;
    QLabel* m_pOwnership = nullptr;
};

// The program icon (resource 128) from the "res" folder beside the program;
// a null pixmap when it is missing.
QPixmap ProgramIconPixmap();
