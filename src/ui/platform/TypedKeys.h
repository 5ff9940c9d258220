#pragma once

class QKeyEvent;

// Keys that carry a text but are no typed character: Enter, Tab, Escape and
// Delete keep their usual meaning in a text box and in its window, so the
// character filters of the text boxes never see them.
bool isCommandKey(const QKeyEvent& event);
