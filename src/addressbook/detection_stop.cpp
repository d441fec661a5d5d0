#include "addressbook/detection_stop.h"

DetectionStop& DetectionStop::instance() {
    static DetectionStop stop;
    return stop;
}

void DetectionStop::request() {
    requested_.store(true);
    emit stopRequested();
}
