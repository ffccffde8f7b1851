#pragma once
// The external control pad: a small modeless tool window with the phone's 23
// keys and a text field whose characters go to the phone as they are typed.
// Every button, its PC key and every character becomes one key text handed to
// m_sendKey (the owner sends it to the phone); Shift held asks for a long press.
//
// The owner creates it with `new`, sets m_sendKey and shows it. The pad closes
// only through DestroyWindow (F12 in the pad, OnOK, OnCancel, or the owner),
// which saves its position, emits Closed() and deletes the pad from the event
// loop. Destroyed together with its owner it saves nothing. The owner keeps a
// QPointer and drops it on Closed(), so it never touches a pad that has gone.

#include <QDialog>
#include <QPoint>
#include <functional>
#include <string>
#include <string_view>

class QKeyEvent;
class QLineEdit;
class QPushButton;

class CControlPadDlg : public QDialog {
    Q_OBJECT

public:
    // Builds the pad from its template, restores its position and leaves it
    // hidden; the owner shows it.
    explicit CControlPadDlg(QWidget* owner);
    ~CControlPadDlg() override;

    // Sends one key name (with the long-press suffix) or one character of
    // code page 932 to the phone, in order.
    std::function<void(const std::string&)> m_sendKey;
    std::string m_text;  // the text field's content, code page 932

    // Saves the position (where the desktop lets a program place windows),
    // then closes the pad for good; it deletes itself.
    void DestroyWindow();
    void OnOK() { DestroyWindow(); }
    void OnCancel() { DestroyWindow(); }
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

    // True once DestroyWindow has run: the pad is closing and must not be used.
    bool IsDestroyed() const { return m_destroyed; }

signals:
    // The pad has closed through DestroyWindow and is about to delete itself.
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnInitDialog();
    void RestorePosition();
    bool IsNormalState() const;
    // The frame's top-left corner of the normal position, in every state.
    QPoint NormalFramePosition() const;
    // The key handler of the buttons: one key name, long when Shift is held.
    void OnKey(std::string_view keyName, bool shift);
    // Sends whatever the text field holds, unit by unit, and empties it.
    void OnTextChanged();
    // The keyboard table: true when the key is the pad's (and so handled).
    bool PreTranslateKey(const QKeyEvent& key, bool act);

    QLineEdit* m_edit = nullptr;
    bool m_destroyed = false;
    // The last press came from the keyboard, not the mouse.
    bool m_bKeyboardPress = false;
};
