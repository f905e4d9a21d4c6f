// Resource ids shared by tresoro.rc and the program code.
//
// windres reads this file too, so it holds nothing but #define lines (an
// identical redefinition is legal, hence no include guard). The names avoid
// Windows' own IDI_* stock icon macros such as IDI_ERROR.
//
// Ranges: 101-199 icons, 201-299 the info text and the help file. Explorer
// shows the icon with the lowest id as the program's icon, so the normal
// state comes first.

#define IDI_ICON_IDLE 101
#define IDI_ICON_BUSY 102
#define IDI_ICON_ERROR 103
#define IDI_ICON_OK 104
