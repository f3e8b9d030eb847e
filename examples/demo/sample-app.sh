#!/bin/sh
# The sample installed application of the Linux demo.
echo "Sample App is running (started with: $*)."
