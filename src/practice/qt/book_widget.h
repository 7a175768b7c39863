// The Qt practice client's window: two facing book pages that take the keys typed into them.
#pragma once

#include <QWidget>

#include "practice/book.h"
#include "practice/recorder.h"

namespace quill::practice::qt {

class BookWidget : public QWidget {
  public:
    // `recorder` must outlive the widget; a recorder that is not active records nothing.
    BookWidget(const QString& title, Recorder& recorder, QWidget* parent = nullptr);

    const Book& book() const { return book_; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void receiveText(const QString& text, bool committed);
    void receive(char32_t character);

    Book book_;
    Recorder& recorder_;
};

}  // namespace quill::practice::qt
