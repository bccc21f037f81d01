// Mouse input on the view and the answers to the digitising dialogs, as a
// user gives them: clicks at client points, texts typed into the fields;
// and checks the tests share (GoogleTest; the benchmarks go without them).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/app/AppSession.h"

namespace gui
{
void LeftClick(HWND hView, POINT client);
// The platform's sequence: down, up, double-click, up.
void DoubleClick(HWND hView, POINT client);
void RightClick(HWND hView, POINT client);
void MouseMove(HWND hView, POINT client);

// Scrolls the view so that image pixel (c, r) lies well inside the client
// area and returns its client point at the current zoom.
POINT ShowPixel(AppSession& session, int c, int r);

// Keyboard input into the focused control of a dialog, posted so that the
// dialog's own loop handles it as it handles a user's keys (Enter, Escape
// and Tab included).
void TypeText(HWND hTarget, const std::string& text);
void PostKey(HWND hTarget, UINT nVirtualKey);

// "Add Geo-reference" answered with the two texts and Add.
ModalScript::Answer TypeCoordinates(const std::string& easting, const std::string& northing);
// "Digitise" answered with one of its radio buttons and OK.
ModalScript::Answer ChooseShapeType(int nRadioID);
// "Add" answered with a name and Add.
ModalScript::Answer NameFeature(const std::string& name);

// One feature clicked at client points (the last click a double-click) and
// named in "Add", with nothing else asked.
void FinishFeature(AppSession& session, const std::string& name, const std::vector<POINT>& clicks);
// Digitise mode entered with a right click at (5, 5) and the feature type
// chosen, then one feature clicked and named; returns how many dialogs the
// program opened for it.
size_t DigitiseFeature(HWND hView, int nRadioID, const std::string& name, const std::vector<POINT>& clicks);
}

// Opening path in a fresh session fails with the reading message and leaves
// no image.
void ExpectReadingFailure(const std::string& path);
