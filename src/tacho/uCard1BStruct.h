#pragma once
// Everything of a driver card download: records, elementary files, the card.

#include "uCard1BActivityRecords.h"
#include "uCard1BCertificates.h"
#include "uCard1BControlRecords.h"
#include "uCard1BElementaryFiles.h"
#include "uCard1BEventRecords.h"
#include "uCard1BFile.h"
#include "uCard1BIdentRecords.h"
#include "uCard1BVehicleRecords.h"
