#pragma once

#include <QPoint>
#include <QScreen>
#include <QString>
#include <QWidget>

// The offscreen screens the window suites run on (see the *.json files here).
QScreen* ScreenNamed(const QString& name);

// Lets queued window-system events (moves, screen changes) arrive.
void ProcessEvents();

// Shows `window` and waits until it is exposed.
void ShowAndWait(QWidget* window);

// Moves a shown window to `position` and lets the screen change arrive.
void MoveTo(QWidget* window, const QPoint& position);

// Where grabs of the windows are kept for people to look at.
QString GrabFolder();
