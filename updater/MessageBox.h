#pragma once

class QWidget;

// The run's two messages: an information box with one OK button. The text is
// UTF-8; its "\r\n" shows as a line break.
void ShowInformationMessage(QWidget* parent, const char* text);
