#pragma once

#define IDI_ORDFALK 1
#define IDI_TRAY 2
#define IDB_OK 3
