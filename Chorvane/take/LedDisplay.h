#pragma once
// An LED-style text display: digits as lit seven-segment cells, colons as two dots,
// on a dark panel. Other characters are drawn as plain text in the lit colour.

#include <QWidget>

class TRzLEDDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TRzLEDDisplay(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    [[nodiscard]] QString caption() const { return caption_; }
    [[nodiscard]] QSize sizeHint() const override { return {331, 25}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};
