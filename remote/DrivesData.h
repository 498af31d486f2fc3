// Kept for includers from before the drives' side had a folder of its own.
#pragma once

#include "remote/drives/DrivesData.h"
