# The commands of the README. Each installs what it needs first.
.PHONY: run test bench dist setup clean

test:
	bash tools/test.sh

run:
	bash tools/run.sh

bench:
	bash tools/bench.sh $(ONLY)

dist:
	bash tools/dist.sh

setup:
	bash tools/setup.sh

clean:
	rm -rf build dist
