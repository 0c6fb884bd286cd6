#pragma once
// The product's about box (the player's "about" command): the program icon,
// the service's home page (on the service host of "TonvikMusic.ini") as a
// link, the version and the ownership line.

#include <QDialog>

class CLabel;
class QLabel;

class CAboutTonvik : public QDialog {
    Q_OBJECT
public:
    explicit CAboutTonvik(QWidget* owner = nullptr);
    ~CAboutTonvik() override;

    // Control 1066.
    CLabel* HomePageLink() const { return m_pLink; }
    QLabel* VersionText() const { return m_pVersion; }
    QLabel* OwnershipText() const { return m_pOwnership; }

private:
    CLabel* m_pLink = nullptr;
    QLabel* m_pVersion = nullptr;
    QLabel* m_pOwnership = nullptr;
};
