// Ids of the images in Tunerimg: positions in the asset table.
#ifndef HARMOLAB_DISPLAY_IMAGE_IDS_H
#define HARMOLAB_DISPLAY_IMAGE_IDS_H

#include <array>
#include <string>

constexpr int kImageCount = 176;

constexpr int kImageMetronomeBody = 0;
constexpr int kImageRodFirst = 1;  // + rod position 0..36
constexpr int kImageMeterFace = 39;
constexpr int kImageSmallDigitFirst = 40;  // + digit
constexpr int kImageStepButtonFirst = 50;  // button b (0..4): 50 + 2b released, + 1 pressed
constexpr int kImageCurrentKey = 60;
constexpr int kImageTargetKey = 61;
constexpr int kImageCent = 62;
constexpr int kImageAuto = 80;
constexpr int kImageNone = 81;
constexpr int kImageHz = 82;
constexpr int kImageBlankDigit = 83;
constexpr int kImageWeightFirst = 84;  // + rod position 0..36
constexpr int kImageLargeDigitFirst = 121;
constexpr int kImageMinus = 131;
constexpr int kImageFlat = 134;               // + fors_status
constexpr int kImageInstrumentModeOff = 136;  // + inst_status
constexpr int kImageInstrumentFirst = 138;    // + 2 x instrument + inst_status
constexpr int kImageStringFirst = 146;        // string n (1..6): 146 + 2 (n - 1), + inst_status
constexpr int kImageConfig = 158;
constexpr int kImageConfigPressed = 159;
constexpr int kImageUpPressed = 160;
constexpr int kImageUp = 161;
constexpr int kImageDownPressed = 162;
constexpr int kImageDown = 163;
constexpr int kImageBeat = 164;
constexpr int kImageMeasure = 165;
constexpr int kImageConductor = 166;
constexpr int kImageTempo = 167;
constexpr int kImageBallFirst = 168;
constexpr int kImageSignalOff = 170;
constexpr int kImageSignalOn = 171;
constexpr int kImageShadow = 172;
constexpr int kImageLedOther = 173;
constexpr int kImageLedOffPitch = 174;
constexpr int kImageLedInTune = 175;

// The relative path of every image, "Tunerimg/..." in id order.
const std::array<std::string, kImageCount>& ImageAssetTable();

#endif
