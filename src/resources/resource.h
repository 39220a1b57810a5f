// Resource identifiers shared by the .rc files and the code.
#pragma once

#define IDI_KV2 1
#define IDI_KV2_WAIT 2
