# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build; undefined behaviour is fatal
# so that a test run cannot pass over it.
add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)
