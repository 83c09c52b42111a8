#pragma once

#include <QWidget>

// Where the Tab key goes from a control: the next one that takes Tab, past
// labels and past the control's own parts (a list's scroll bars and viewport).
inline const QWidget *nextTabStop(const QWidget *from)
{
    const QWidget *next = from->nextInFocusChain();
    while (next != from && (!(next->focusPolicy() & Qt::TabFocus) || from->isAncestorOf(next)))
        next = next->nextInFocusChain();
    return next;
}
