// Every pixel-function header the commands and replay entries use.
#pragma once

#include "filters/algorithms/adjustment_filters.h"
#include "filters/algorithms/blur_filters.h"
#include "filters/algorithms/distortion_filters.h"
#include "filters/algorithms/floor_filter.h"
#include "filters/algorithms/generator_filters.h"
#include "filters/algorithms/lighting_filter.h"
#include "filters/algorithms/median_filter.h"
#include "filters/algorithms/sharpen_filters.h"
#include "filters/algorithms/texture_filters.h"
