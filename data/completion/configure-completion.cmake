# Fills a completion template with the words completion-words printed.
# Run as: cmake -DWORDS=<words.cmake> -DIN=<template> -DOUT=<script> -P configure-completion.cmake
include(${WORDS})
configure_file(${IN} ${OUT} @ONLY)
