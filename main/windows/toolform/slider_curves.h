// The slider mappings of the tool window's fields. Each in-filter turns a linear slider position
// (0..1 over the field's range) into the position the slider shows, each out-filter the shown
// position back; both clamp the position into 0..1 first.
#pragma once

// The nib radius over 0.1..200: small radii get more of the travel; 0 and 1 stay fixed.
float radiusInFilter(float position);
float radiusOutFilter(float position);

// The nib-image scale over the field's range min..max in percent: 100 % lies at the middle. A
// range that does not hold 100 % inside it maps linearly.
float shapeScaleInFilter(float position, float minPercent, float maxPercent);
float shapeScaleOutFilter(float position, float minPercent, float maxPercent);

// The free transform's width and height over 0..1600 %: 100 % at the middle, 6.25 % and 1600 %
// at the ends.
float transformScaleInFilter(float position);
float transformScaleOutFilter(float position);
