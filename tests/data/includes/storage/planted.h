#pragma once
#include "crypto/planted.h"
