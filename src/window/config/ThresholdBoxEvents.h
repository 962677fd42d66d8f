#pragma once
// Binding of the two threshold boxes' key and focus events to their handlers.

namespace zmx {

class Form1;

// Installs the event filter that sends key presses, focus-in and focus-out of Text2(0..1)
// to Text2_KeyPress, Text2_GotFocus and Text2_LostFocus.
void installThresholdBoxEvents(Form1& form);

}  // namespace zmx
