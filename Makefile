# make run   installs what is missing, builds, starts Zentra on the default data folder
# make test  installs what is missing, builds, runs every test
# make package  installs what is missing, builds, makes build/zentra_VERSION_amd64.deb
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test package clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# zentra creates and seeds the data folder itself on first start.
run: build
	@$(BUILD_DIR)/bin/zentra

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

package: build
	@cmake --build $(BUILD_DIR) --target package
	@ls $(BUILD_DIR)/zentra_*_amd64.deb

clean:
	rm -rf $(BUILD_DIR)
