#!/bin/sh
echo "setup placeholder"
