// StandInWindowClasses.h - the window classes of the stand-in AutoCAD's windows.
//
// AutoCAD's windows are MFC windows with generated "Afx:" class names; the link looks for
// the prefix "Afx" on top-level windows and "Afx:400000:8:" on the two panes. Both
// stand-ins, on the simulated desktop and as a Win32 program, use these names.
#pragma once

inline constexpr const char* kStandInMainWindowClass = "Afx:400000:b:10011:6:2a0c1d";
inline constexpr const char* kStandInTextWindowClass = "Afx:400000:0:10011:0:0";
inline constexpr const char* kStandInFrameClass = "Afx:400000:0:10011:10:0";
inline constexpr const char* kStandInPaneClass = "Afx:400000:8:10011:0:0";
