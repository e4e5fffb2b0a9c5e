// Resource identifiers shared by Ordfalk.rc and the program's code. Plain
// #defines only: the resource compilers read this file too.
#ifndef ORDFALK_RESOURCE_H
#define ORDFALK_RESOURCE_H

#define IDI_ORDFALK 1  // application icon: 48 x 48, 32 x 32, 16 x 16
#define IDI_TRAY    2  // notification-area icon: 16 x 16
#define IDB_OK      3  // OK button image, 16 x 16; magenta is transparent

#endif  // ORDFALK_RESOURCE_H
