// The gates every owner-drawn control consults before it reacts to the mouse. A control refuses
// the mouse while hidden, disabled or read-only (noStdEvents); hover changes are refused too
// while the mouse is captured (a button is held or a widget grabs it). A control that accepts
// an enter or a move tells its siblings that the mouse left them, so only one control of a
// parent shows a hover look even when a leave was missed.
#pragma once

class QWidget;

bool acceptMouseEnter(QWidget *Control);
bool acceptMouseLeave(QWidget *Control);
bool acceptMouseMove(QWidget *Control);
bool acceptMouseDown(QWidget *Control);
// Sends a leave to every other child of the control's parent, the last child first.
void sendMouseLeaveToSiblings(QWidget *Control);
