#pragma once

// Moved to the portable cookie rules; kept so that older includes still build.
#include "cookies/CookieDateParser.h"
