// The skin's colour arithmetic: the grey of an inactive caption, the bands of
// a window frame and the stepped gradients of captions, group boxes and
// progress bars.
#pragma once

#include "ui/DialogCanvas.h"

#include "platform/kernel32/WinTypes.h"

// The grey of the same brightness: each channel becomes the average of the
// three.
COLORREF GreyOfSameBrightness(COLORREF colour);

// Band i (1 = outermost) of an n-pixel frame drawn in colour. The outer half
// of the bands (rounded up) is lightened: the colour's distance to white is
// scaled by (n - i + 1) / (n + 1); the inner bands are darkened: the
// channels are scaled by the same factor. The frame so has a light rim
// outside and a dark line against the caption and the client area.
COLORREF FrameBandColour(COLORREF colour, int i, int n);

// A gradient from one colour to another in a number of equal steps.
class CSkinGradient {
public:
    CSkinGradient() = default;
    CSkinGradient(COLORREF from, COLORREF to, int steps) : m_from(from), m_to(to), m_steps(steps < 1 ? 1 : steps) {}

    int Steps() const { return m_steps; }
    // The colour of step i of Steps(): the first is from, the last to.
    COLORREF StepColour(int i) const;
    enum class Direction { LeftToRight, TopToBottom };
    // Fills r with the steps, each a band as wide as its share of r (the
    // first bands take the remainder), so that the ends of r show the two
    // colours. With more steps than pixels every pixel row or column shows
    // the step it starts in.
    void Fill(IDialogCanvas& canvas, const RECT& r, Direction direction) const;
    CSkinGradient Greyed() const;

private:
    COLORREF m_from = 0;
    COLORREF m_to = 0;
    int m_steps = 1;
};
