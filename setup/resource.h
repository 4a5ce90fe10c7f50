#pragma once

#define IDS_PRODUCT_NAME_JAPANESE 101
