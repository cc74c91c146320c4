#pragma once

class QWidget;

namespace pagelore {

enum class ImeMode { On, Off, AsIs };

// Switches Japanese text input on or off for a widget, as far as the
// platform lets a program decide it. On Linux the input method stays the
// user's to toggle; "off" disables composition for the widget and asks for
// Latin digits, "on" enables composition and asks for Japanese text.
void setInputMethod(QWidget *widget, ImeMode mode);

}  // namespace pagelore
