#include "tools/ui/TfrmQelLockConsole.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>

namespace corvane {

TfrmQelLockConsole::TfrmQelLockConsole(QWidget* parent) : QDialog(parent) {
    setObjectName("frmQelLockConsole");
    setWindowTitle("Console Locked");
    // A single border with the system menu and the minimise button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowTitleHint);
    auto* layout = new QHBoxLayout(this);
    auto* image = new QLabel(this);
    image->setObjectName("imgLock");
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    layout->addWidget(image, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* locked = new QLabel("The Vantor Corvane console has been locked.", this);
    locked->setObjectName("lblLocked");
    QFont bold = locked->font();
    bold.setBold(true);
    locked->setFont(bold);
    texts->addWidget(locked);
    auto* unlock = new QLabel("(Press CTRL+ALT+F9  to unlock)", this);
    unlock->setObjectName("lblUnlock");
    texts->addWidget(unlock);
    auto* unlockAlternative = new QLabel("(or CTRL+SHIFT+F9 where CTRL+ALT+F9 switches the screen)", this);
    unlockAlternative->setObjectName("lblUnlockAlternative");
    texts->addWidget(unlockAlternative);
    layout->addLayout(texts);
    setFocusPolicy(Qt::StrongFocus);
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmQelLockConsole::LockConsole(QWidget* console) {
    const auto window = std::make_unique<TfrmQelLockConsole>(console);
    window->Lock();
    window->exec();
}

bool TfrmQelLockConsole::event(QEvent* event) {
    // Every key is the lock's: shortcuts of the console never see one.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::KeyPress) {
            const Qt::KeyboardModifiers m = key->modifiers();
            const LockKeyPress press{key->key() == Qt::Key_F9, (m & Qt::ControlModifier) != 0,
                                     (m & Qt::AltModifier) != 0, (m & Qt::ShiftModifier) != 0,
                                     (m & Qt::MetaModifier) != 0};
            if (lock_.KeyPressed(press))
                accept();
        }
        event->accept();
        return true;
    }
    return QDialog::event(event);
}

void TfrmQelLockConsole::closeEvent(QCloseEvent* event) {
    if (!lock_.CloseAllowed()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmQelLockConsole::reject() {
    if (lock_.CloseAllowed())
        QDialog::reject();
}

} // namespace corvane
