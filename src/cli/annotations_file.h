#pragma once

// An `--annotations` file holds the JSON form of Annotations.
#include "model/annotations.h"
#include "model/annotations_json.h"
