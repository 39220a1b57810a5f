// (written by the tray-icon work)
#pragma once
