#pragma once

#include <QDialog>

namespace corvane {

// The splash window shown while the program starts: borderless, a white
// client area of 279 x 280 pixels centred on the screen, one picture.
class TfrmQelSplash final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmQelSplash(QWidget* parent = nullptr);
    // False when the picture could not be decoded (the window stays white).
    bool HasPicture() const { return hasPicture_; }

private:
    bool hasPicture_ = false;
};

} // namespace corvane
